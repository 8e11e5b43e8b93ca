// The counters and rates of one completed capture loop.
#pragma once

#include <cstdint>

struct CaptureStatistics {
    int32_t requestedDurationMs = 0;
    int32_t requestedSampleFps = 0;
    int64_t actualDurationMs = 0;
    int32_t receivedFrames = 0;
    int32_t savedFrames = 0;
    int32_t missingFrames = 0;
    int32_t incompleteFrames = 0;
    int32_t skippedFrames = 0;
    double receivedFps = 0.0;
    double savedFps = 0.0;
};

// The exit code of a completed run: 0 when at least one frame was saved.
inline int exitCodeFor(const CaptureStatistics& statistics)
{
    return statistics.savedFrames <= 0 ? 1 : 0;
}
