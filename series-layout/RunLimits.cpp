// What a run of kestrum-capture can write into capture.json.
#include "RunLimits.h"

#include <algorithm>

namespace {

// Past the requested duration: one last frame wait, then that frame's writing and the camera's stop.
constexpr int64_t kLongestOverrunMs = kFrameWaitLimit.count() + 3000;
constexpr int kLargestImageSide = 4096;

std::string outsideRange(const char* name, int64_t value, int64_t least, int64_t most)
{
    return std::string(name) + " " + std::to_string(value) + " is outside the capture program's " +
           std::to_string(least) + " to " + std::to_string(most);
}

bool fitsLargestImage(int width, int height)
{
    return width <= kLargestImageSide && height <= kLargestImageSide;
}

std::string beyondLargestImage(const char* names, int width, int height)
{
    return std::string(names) + " " + std::to_string(width) + "x" + std::to_string(height) + " is beyond " +
           std::to_string(kLargestImageSide) + "x" + std::to_string(kLargestImageSide);
}

} // namespace

int64_t mostFramesKept(int64_t actualDurationMs, int64_t sampleFps)
{
    // actualDurationMs / (1000 / sampleFps - 1) is actualDurationMs * sampleFps / (1000 - sampleFps).
    return actualDurationMs * sampleFps / (1000 - sampleFps) + 1;
}

std::optional<std::string> impossibleRunProblem(const SeriesDescription& series)
{
    if (series.requestedDurationMs < kShortestDurationMs || series.requestedDurationMs > kLongestDurationMs) {
        return outsideRange("requestedDurationMs", series.requestedDurationMs, kShortestDurationMs,
                            kLongestDurationMs);
    }
    if (series.requestedSampleFps < kLowestSampleFps || series.requestedSampleFps > kHighestSampleFps) {
        return outsideRange("requestedSampleFps", series.requestedSampleFps, kLowestSampleFps, kHighestSampleFps);
    }
    if (series.actualDurationMs > series.requestedDurationMs + kLongestOverrunMs) {
        return "actualDurationMs " + std::to_string(series.actualDurationMs) + " is more than " +
               std::to_string(kLongestOverrunMs) + " ms beyond requestedDurationMs " +
               std::to_string(series.requestedDurationMs);
    }
    const int64_t most = mostFramesKept(series.actualDurationMs, series.requestedSampleFps);
    if (series.savedFrames > most) {
        return "savedFrames " + std::to_string(series.savedFrames) + " is more than a run of " +
               std::to_string(series.actualDurationMs) + " ms at " + std::to_string(series.requestedSampleFps) +
               " per second can keep (" + std::to_string(most) + ")";
    }
    if (!fitsLargestImage(series.width, series.height)) {
        return beyondLargestImage("width x height", series.width, series.height);
    }
    if (!fitsLargestImage(series.fullColorWidth, series.fullColorHeight)) {
        return beyondLargestImage("colorWidth x colorHeight", series.fullColorWidth, series.fullColorHeight);
    }
    return std::nullopt;
}

int64_t framesToCheck(const SeriesDescription& series)
{
    if (!fitsLargestImage(series.width, series.height) ||
        !fitsLargestImage(series.fullColorWidth, series.fullColorHeight)) {
        return 0;
    }
    const int64_t sampleFps = std::clamp<int64_t>(series.requestedSampleFps, kLowestSampleFps, kHighestSampleFps);
    const int64_t requestedMs = std::clamp<int64_t>(series.requestedDurationMs, kShortestDurationMs, kLongestDurationMs);
    const int64_t actualMs = std::min(series.actualDurationMs, requestedMs + kLongestOverrunMs);
    return std::min(series.savedFrames, mostFramesKept(actualMs, sampleFps));
}
