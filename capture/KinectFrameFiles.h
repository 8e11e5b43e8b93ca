// The five files of a frame kept from the Kinect v2, then its "frameSaved" line.
#pragma once

#include "SampledFrame.h"
#include "WorkerPool.h"

#include <filesystem>

// The images of a frame, which are encoded side by side.
inline constexpr unsigned kKinectFrameImages = 3;

// Writes color/ (JPEG 88 of the registered colour), color-full/ (JPEG 92),
// color-map/ (the map's int32 entries), depth/ (16-bit PNG) and depth-raw/
// (the same values, uint16 little-endian), then emits "frameSaved". The images
// are encoded on the workers while the binary files are written here; the
// files take their names in this order and only when complete, and the call
// returns only once no worker reads the frame any more. Throws
// std::runtime_error for the first file in this order that fails; the files
// before it stay, none after it appears and no line is emitted.
void writeKinectFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame);
