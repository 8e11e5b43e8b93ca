// Records a test series from a Kinect v2.
#pragma once

#include <cstdint>
#include <filesystem>

// Returns the exit code; reports the three device failures itself (error line,
// code 1) and throws on any other failure.
int runKinectCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps);
