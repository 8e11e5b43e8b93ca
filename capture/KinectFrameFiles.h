// The five files of a frame kept from the Kinect v2, then its "frameSaved" line.
#pragma once

#include "SampledFrame.h"

#include <filesystem>

// Writes color/ (JPEG 88 of the registered colour), color-full/ (JPEG 92),
// color-map/ (the map's int32 entries), depth/ (16-bit PNG) and depth-raw/
// (the same values, uint16 little-endian), in this order, then emits
// "frameSaved". Each file takes its name only when complete. Throws
// std::runtime_error at the first file that fails; the files written before it
// stay and no line is emitted.
void writeKinectFrameFiles(const std::filesystem::path& outputDir, const SampledFrame& frame);
