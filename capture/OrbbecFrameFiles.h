// The four files of a frame kept from the Orbbec camera, then its "frameSaved" line.
#pragma once

#include "SampledFrame.h"

#include <filesystem>

// Writes color/ (JPEG 88), color-full/ (JPEG 92 of the same image), depth/
// (16-bit PNG) and depth-raw/ (the same values, uint16 little-endian), in this
// order, then emits "frameSaved". There is no colour-to-depth map: the depth
// image is aligned to the colour image. Each file takes its name only when
// complete. Throws std::runtime_error at the first file that fails; the files
// written before it stay and no line is emitted.
void writeOrbbecFrameFiles(const std::filesystem::path& outputDir, const SampledFrame& frame);
