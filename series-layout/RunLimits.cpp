// What a run of kestrum-capture can write into capture.json.
#include "RunLimits.h"

#include "KinectGeometry.h"
#include "OrbbecGeometry.h"

#include <algorithm>

namespace {

// Past the requested duration: one last frame wait, then that frame's writing and the camera's stop.
constexpr int64_t kLongestOverrunMs = kFrameWaitLimit.count() + 3000;

std::string outsideRange(const char* name, int64_t value, int64_t least, int64_t most)
{
    return std::string(name) + " " + std::to_string(value) + " is outside the capture program's " +
           std::to_string(least) + " to " + std::to_string(most);
}

std::optional<std::string> otherImageSize(const char* names, int width, int height, const char* camera,
                                          int cameraWidth, int cameraHeight)
{
    if (width == cameraWidth && height == cameraHeight) {
        return std::nullopt;
    }
    return std::string(names) + " " + std::to_string(width) + "x" + std::to_string(height) + " is not " + camera +
           " " + std::to_string(cameraWidth) + "x" + std::to_string(cameraHeight);
}

// Each camera streams one size of each image, so nothing larger (slower to check) can be among them.
std::optional<std::string> imageSizeProblem(const SeriesDescription& series)
{
    if (series.camera == SeriesCamera::KinectV2) {
        return otherImageSize("width x height", series.width, series.height, "the Kinect v2's", kKinectDepthWidth,
                              kKinectDepthHeight);
    }
    if (auto problem = otherImageSize("width x height", series.width, series.height, "the Orbbec camera's",
                                      kOrbbecStreamWidth, kOrbbecStreamHeight)) {
        return problem;
    }
    return otherImageSize("colorWidth x colorHeight", series.fullColorWidth, series.fullColorHeight,
                          "the Orbbec camera's", kOrbbecStreamWidth, kOrbbecStreamHeight);
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
    return imageSizeProblem(series);
}

int64_t framesToCheck(const SeriesDescription& series)
{
    if (imageSizeProblem(series)) {
        return 0;
    }
    const int64_t sampleFps = std::clamp<int64_t>(series.requestedSampleFps, kLowestSampleFps, kHighestSampleFps);
    const int64_t requestedMs = std::clamp<int64_t>(series.requestedDurationMs, kShortestDurationMs, kLongestDurationMs);
    const int64_t actualMs = std::min(series.actualDurationMs, requestedMs + kLongestOverrunMs);
    return std::min(series.savedFrames, mostFramesKept(actualMs, sampleFps));
}
