// The four files of a frame kept from the Orbbec camera, then its "frameSaved" line.
#pragma once

#include "SampledFrame.h"
#include "WorkerPool.h"

#include <filesystem>

// The images of a frame, which are encoded side by side.
inline constexpr unsigned kOrbbecFrameImages = 3;

// Writes color/ (JPEG 88), color-full/ (JPEG 92 of the same image), depth/
// (16-bit PNG) and depth-raw/ (the same values, uint16 little-endian), then
// emits "frameSaved". There is no colour-to-depth map: the depth image is
// aligned to the colour image. The images are encoded on the workers while
// the raw file is written here; the files take their names in this order and
// only when complete, and the call returns only once no worker reads the
// frame any more. Throws std::runtime_error for the first file in this order
// that fails; the files before it stay, none after it appears and no line is
// emitted.
void writeOrbbecFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame);
