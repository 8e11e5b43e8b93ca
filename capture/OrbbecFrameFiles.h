// The four files of a frame kept from the Orbbec camera, then its "frameSaved" line.
#pragma once

#include "SampledFrame.h"
#include "WorkerPool.h"

#include <filesystem>

// The images of a frame, which are encoded side by side.
inline constexpr unsigned kOrbbecFrameImages = 3;

// writeFrameFiles with the Orbbec camera's four files (no colour-to-depth map: the depth image is
// aligned to the colour image) and its words for their failures, of which only the colour files'
// carry the path; a depth image that is empty or not CV_32FC1 gets neither depth file.
void writeOrbbecFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame);
