// The one writer of a kept frame's files, for either camera, driven by the camera's list of them.
#pragma once

#include "FrameFiles.h"
#include "SampledFrame.h"
#include "WorkerPool.h"

#include <filesystem>
#include <vector>

// One of the series layout's files in a camera's list, with the words of its failure; a text that
// ends in ": " is followed by the file's path.
struct FrameFileWriting {
    const FrameFile* file;
    const char* failure;               // an image's failure, or a binary file that could not take its name
    const char* notWritten = nullptr;  // a binary file whose bytes did not all reach the disk
};

// A camera's files in the order they start: the images, which the workers encode, before the binary
// files, which are written here meanwhile. A depth image that depthIsValid refuses fails the file
// depthCheckedAt with invalidDepthMessage.
struct CameraFrameFiles {
    std::vector<FrameFileWriting> files;
    const FrameFile* depthCheckedAt;
    bool (*depthIsValid)(const cv::Mat& depthMm);
    const char* invalidDepthMessage;
};

// Writes the camera's files, of color/ (JPEG 88 of the colour image), color-full/ (JPEG 92 of the
// full one), color-map/ (the map's int32 entries), depth/ (16-bit PNG of the millimetres) and
// depth-raw/ (the same values, uint16 little-endian), then emits "frameSaved". The files take their
// names in the series layout's order and only when complete, and the call returns only once no
// worker reads the frame any more. Throws std::runtime_error for the first file in that order that
// fails; the files before it stay, none after it appears and no line is emitted.
void writeFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame,
                     const CameraFrameFiles& camera);
