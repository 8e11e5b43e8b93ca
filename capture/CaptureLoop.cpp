// The capture loop both backends share: warm-up, sampling rule, counters, statistics.
#include "CaptureLoop.h"

#include "CaptureLimits.h"

namespace {

// Hands the delivered frame back on every way out of an iteration.
class DeliveredFrameRelease {
public:
    explicit DeliveredFrameRelease(FrameSource& source) : source_(source) {}
    ~DeliveredFrameRelease() { source_.releaseFrame(); }
    DeliveredFrameRelease(const DeliveredFrameRelease&) = delete;
    DeliveredFrameRelease& operator=(const DeliveredFrameRelease&) = delete;

private:
    FrameSource& source_;
};

// Whole milliseconds since start, truncated.
int64_t elapsedMs(std::chrono::nanoseconds start, std::chrono::nanoseconds now)
{
    return (now - start).count() / 1'000'000;
}

int64_t microseconds(std::chrono::nanoseconds reading)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(reading).count();
}

// A frame is kept when it arrives no earlier than 1 ms before its due time.
bool isFrameDue(double arrivalMs, double nextDueMs)
{
    return arrivalMs + 1.0 >= nextDueMs;
}

} // namespace

CaptureLoopResult runCaptureLoop(FrameSource& source, const HostClocks& clocks, int32_t durationMs,
                                 int32_t sampleFps, const StopCheck& isStopRequested)
{
    const MonotonicClock& clock = clocks.monotonic;
    for (int warmup = 0; warmup < kWarmupFrames && !isStopRequested(); ++warmup) {
        source.fetchWarmupFrame();
    }

    CaptureLoopResult result;
    CaptureStatistics& statistics = result.statistics;
    statistics.requestedDurationMs = durationMs;
    statistics.requestedSampleFps = sampleFps;
    const double sampleIntervalMs = 1000.0 / sampleFps;
    double nextDueMs = 0.0;
    const std::chrono::nanoseconds start = clock();
    result.timing.samplingStart = SamplingStart{clocks.wall().count(), microseconds(start)};
    int64_t receivedSincePrevious = 0;

    while (!isStopRequested() && elapsedMs(start, clock()) < durationMs) {
        if (!source.requestFrame(kFrameWaitLimit)) {
            ++statistics.missingFrames;
            continue;
        }
        const DeliveredFrameRelease release(source);
        ++statistics.receivedFrames;
        ++receivedSincePrevious;
        const std::chrono::nanoseconds arrival = clock();
        const std::chrono::microseconds arrivalWallClock = clocks.wall();
        const auto arrivalMs = static_cast<double>(elapsedMs(start, arrival));
        if (!source.frameIsComplete()) {
            ++statistics.incompleteFrames;
            continue;
        }
        if (!isFrameDue(arrivalMs, nextDueMs)) {
            ++statistics.skippedFrames;
            continue;
        }
        FrameTiming timing{statistics.savedFrames, static_cast<int64_t>(arrivalMs), arrivalWallClock.count(),
                           microseconds(arrival), receivedSincePrevious, source.frameTiming()};
        source.keepFrame(timing.index, timing.timestampMs);
        result.timing.frames.push_back(timing);
        receivedSincePrevious = 0;
        ++statistics.savedFrames;
        nextDueMs = arrivalMs + sampleIntervalMs;
    }

    source.finishStreaming();
    statistics.actualDurationMs = elapsedMs(start, clock());
    if (statistics.actualDurationMs > 0) {
        statistics.receivedFps = statistics.receivedFrames * 1000.0 / statistics.actualDurationMs;
        statistics.savedFps = statistics.savedFrames * 1000.0 / statistics.actualDurationMs;
    }
    return result;
}
