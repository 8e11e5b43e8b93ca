// Records a test series from an Orbbec camera.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

// Returns the exit code, or nothing when no Orbbec camera is attached (the
// caller then falls back to the Kinect v2). Throws on any other failure.
std::optional<int> runOrbbecCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps);
