// Records a test series from a Kinect v2.
#pragma once

#include <cstdint>
#include <filesystem>

// The capture program's words for a Kinect v2 that fails, and its warm-up limit.
inline constexpr const char* kNoKinectMessage = "Keine Kinect v2 gefunden.";
inline constexpr const char* kKinectNotOpenedMessage = "Kinect konnte nicht geöffnet werden.";
inline constexpr const char* kKinectNotStartedMessage = "Kinect konnte nicht gestartet werden.";
inline constexpr const char* kKinectWarmupTimeoutMessage = "Zeitüberschreitung während der Aufwärmphase.";
inline constexpr int kKinectWarmupWaitMs = 5000;

// Returns the exit code; reports the three device failures itself (error line,
// code 1) and throws on any other failure.
int runKinectCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps);
