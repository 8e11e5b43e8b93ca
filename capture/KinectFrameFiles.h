// The five files of a frame kept from the Kinect v2, then its "frameSaved" line.
#pragma once

#include "SampledFrame.h"
#include "WorkerPool.h"

#include <filesystem>

// The images of a frame, which are encoded side by side.
inline constexpr unsigned kKinectFrameImages = 3;

// writeFrameFiles with the Kinect v2's five files (color/ of the registered colour image, the
// colour-to-depth map in color-map/) and its words for their failures, which carry the file's path;
// a depth image that is not 512 x 424 gets no raw file.
void writeKinectFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame);
