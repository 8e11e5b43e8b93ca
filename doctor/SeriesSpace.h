// The most disk space one test series can take: the longest duration at the highest rate.
#pragma once

#include "CameraCheck.h"

#include <cstdint>

// The most frames a capture of the longest duration at the highest rate can keep.
int64_t mostFramesOfLongestSeries();

// An upper bound in bytes on one series from this camera at the capture program's longest
// duration and highest rate: its raw depth and colour-to-depth map files at their exact sizes,
// its images at their uncompressed sizes, every file with 64 KiB more for headers and file-system
// blocks. With no camera found, the larger of the two cameras' bounds.
int64_t seriesBytesUpperBound(CameraKind camera);
