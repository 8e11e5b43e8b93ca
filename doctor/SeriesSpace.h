// One test series as a capture would write it: its files and the most disk space it can take, at the
// longest duration and the highest rate.
#pragma once

#include "CameraCheck.h"
#include "FrameFiles.h"

#include <cstdint>
#include <string>
#include <vector>

// The most frames a capture of the longest duration at the highest rate can keep.
int64_t mostFramesOfLongestSeries();

// An upper bound in bytes on one series from this camera at the capture program's longest
// duration and highest rate: its raw depth and colour-to-depth map files at their exact sizes,
// its images at their uncompressed sizes, every file with 64 KiB more for headers and file-system
// blocks. With no camera found, the larger of the two cameras' bounds.
int64_t seriesBytesUpperBound(CameraKind camera);

// What a capture with this camera writes at most; with no camera found, what either camera writes.
struct SeriesToWrite {
    std::vector<FrameFile> frameFiles;   // each kept frame's files
    int64_t frames = 0;                  // kept frames, numbered from 0
    int64_t bytes = 0;                   // seriesBytesUpperBound
    std::string description;             // "10000 ms at 10 frames per second from the Orbbec camera"
};

SeriesToWrite seriesToWrite(CameraKind camera);
