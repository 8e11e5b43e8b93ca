// The most disk space one test series can take: the longest duration at the highest rate.
#pragma once

#include "CameraCheck.h"

#include <cstdint>

// The most frames a capture of durationMs at sampleFps can keep: every kept frame but the
// last arrives before the duration ends, each one at least the sampling interval less the
// 1 ms tolerance after the one before.
int64_t maxKeptFrames(int32_t durationMs, int32_t sampleFps);

// An upper bound in bytes on one series from this camera at the capture program's longest
// duration and highest rate: raw depth and colour-to-depth map files at their exact sizes, each
// image at its uncompressed size, every file with 64 KiB more for headers and file-system blocks.
// With no camera found, the larger of the two cameras' bounds.
int64_t seriesBytesUpperBound(CameraKind camera);
