// The capture loop against a scripted frame source and a fake clock: sampling
// rule, counters, statistics and the release of every delivered frame.
#include "CaptureLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

// One frame request as the fake camera answers it.
struct Request {
    enum class Outcome { Frame, IncompleteFrame, NothingInTime };
    Outcome outcome;
    std::chrono::nanoseconds arrival;   // since the sampling start; unused for NothingInTime
};

Request frameAt(std::chrono::nanoseconds arrival) { return {Request::Outcome::Frame, arrival}; }
Request frameAtMs(int64_t ms) { return frameAt(std::chrono::milliseconds(ms)); }
Request incompleteAtMs(int64_t ms) { return {Request::Outcome::IncompleteFrame, std::chrono::milliseconds(ms)}; }
Request nothingInTime() { return {Request::Outcome::NothingInTime, {}}; }

// A camera whose frames arrive at scripted times; it moves the fake clock to
// each arrival, and by the wait limit when nothing comes (also once the script
// has run out).
class ScriptedCamera : public FrameSource {
public:
    explicit ScriptedCamera(std::vector<Request> script) : script_(script.begin(), script.end()) {}

    MonotonicClock clock()
    {
        return [this] { return now_; };
    }

    void fetchWarmupFrame() override
    {
        EXPECT_EQ(requests, 0) << "warm-up after sampling began";
        ++warmupFetches;
    }

    bool requestFrame(std::chrono::milliseconds waitLimit) override
    {
        EXPECT_FALSE(holding_) << "request while a frame is still held";
        EXPECT_EQ(waitLimit, 2000ms);
        ++requests;
        if (script_.empty() || script_.front().outcome == Request::Outcome::NothingInTime) {
            if (!script_.empty()) {
                script_.pop_front();
            }
            now_ += waitLimit;
            return false;
        }
        const Request request = script_.front();
        script_.pop_front();
        now_ = std::max(now_, kSamplingStart + request.arrival);
        complete_ = request.outcome == Request::Outcome::Frame;
        holding_ = true;
        ++deliveries;
        return true;
    }

    bool frameIsComplete() const override { return complete_; }

    void keepFrame(int32_t index, int64_t timestampMs) override
    {
        EXPECT_TRUE(holding_);
        if (failWhileKeepingIndex == index) {
            throw std::runtime_error("Tiefen-PNG konnte nicht gespeichert werden: x");
        }
        kept.emplace_back(index, timestampMs);
    }

    void releaseFrame() noexcept override
    {
        EXPECT_TRUE(holding_) << "release without a delivered frame";
        holding_ = false;
        ++releases;
    }

    void finishStreaming() override
    {
        ++finishCalls;
        now_ += finishStreamingTakes;
    }

    int warmupFetches = 0;
    int requests = 0;
    int deliveries = 0;
    int releases = 0;
    int finishCalls = 0;
    int32_t failWhileKeepingIndex = -1;
    std::chrono::nanoseconds finishStreamingTakes{0};
    std::vector<std::pair<int32_t, int64_t>> kept;   // index, timestampMs

private:
    // An arbitrary reading: only differences count.
    static constexpr std::chrono::nanoseconds kSamplingStart = 7'000'000'123ns;
    std::deque<Request> script_;
    std::chrono::nanoseconds now_ = kSamplingStart;
    bool complete_ = false;
    bool holding_ = false;
};

std::vector<int64_t> keptTimestamps(const ScriptedCamera& camera)
{
    std::vector<int64_t> timestamps;
    for (const auto& [index, timestampMs] : camera.kept) {
        timestamps.push_back(timestampMs);
    }
    return timestamps;
}

// Holds for every completed loop, whatever the script.
void expectConsistent(const CaptureStatistics& statistics, const ScriptedCamera& camera)
{
    EXPECT_EQ(statistics.receivedFrames,
              statistics.savedFrames + statistics.incompleteFrames + statistics.skippedFrames);
    EXPECT_EQ(camera.requests, statistics.receivedFrames + statistics.missingFrames);
    EXPECT_EQ(camera.releases, camera.deliveries);
    EXPECT_EQ(camera.warmupFetches, 15);
    EXPECT_EQ(camera.finishCalls, 1);
    ASSERT_EQ(static_cast<int32_t>(camera.kept.size()), statistics.savedFrames);
    for (size_t i = 0; i < camera.kept.size(); ++i) {
        EXPECT_EQ(camera.kept[i].first, static_cast<int32_t>(i)) << "indices without gaps";
    }
}

} // namespace

TEST(CaptureLoop, FramesEvery33MsAt10FpsKeepOneFrameAboutEvery100Ms)
{
    std::vector<Request> script;
    for (int64_t ms = 0; ms <= 1023; ms += 33) {
        script.push_back(frameAtMs(ms));
    }
    ScriptedCamera camera(script);

    const CaptureStatistics statistics = runCaptureLoop(camera, camera.clock(), 1000, 10);

    // 99 is kept (99 + 1.0 is not below 100.0), and the next due time is 199.0.
    EXPECT_EQ(keptTimestamps(camera),
              (std::vector<int64_t>{0, 99, 198, 297, 396, 495, 594, 693, 792, 891, 990}));
    EXPECT_EQ(statistics.requestedDurationMs, 1000);
    EXPECT_EQ(statistics.requestedSampleFps, 10);
    EXPECT_EQ(statistics.receivedFrames, 32);
    EXPECT_EQ(statistics.savedFrames, 11);
    EXPECT_EQ(statistics.skippedFrames, 21);
    EXPECT_EQ(statistics.missingFrames, 0);
    EXPECT_EQ(statistics.incompleteFrames, 0);
    // The frame requested at 990 ms arrived at 1023 ms; the loop ended right after it.
    EXPECT_EQ(statistics.actualDurationMs, 1023);
    EXPECT_DOUBLE_EQ(statistics.receivedFps, 32 * 1000.0 / 1023);
    EXPECT_DOUBLE_EQ(statistics.savedFps, 11 * 1000.0 / 1023);
    expectConsistent(statistics, camera);
}

TEST(CaptureLoop, AFrameIsKeptFromOneMillisecondBeforeItsDueTime)
{
    ScriptedCamera at10Fps({frameAtMs(0), frameAtMs(98), frameAtMs(99), frameAtMs(1000)});
    const CaptureStatistics statistics10 = runCaptureLoop(at10Fps, at10Fps.clock(), 1000, 10);
    EXPECT_EQ(keptTimestamps(at10Fps), (std::vector<int64_t>{0, 99, 1000}));
    EXPECT_EQ(statistics10.skippedFrames, 1);
    expectConsistent(statistics10, at10Fps);

    // 1000 / 3 = 333.333...: 332 + 1.0 is below it, 333 + 1.0 is not.
    ScriptedCamera at3Fps({frameAtMs(0), frameAtMs(332), frameAtMs(333), frameAtMs(1000)});
    const CaptureStatistics statistics3 = runCaptureLoop(at3Fps, at3Fps.clock(), 1000, 3);
    EXPECT_EQ(keptTimestamps(at3Fps), (std::vector<int64_t>{0, 333, 1000}));
    EXPECT_EQ(statistics3.skippedFrames, 1);
    expectConsistent(statistics3, at3Fps);
}

TEST(CaptureLoop, ElapsedTimeIsTruncatedToWholeMilliseconds)
{
    // 99.999 ms counts as 99, which is due at 100.0; the head check at
    // 999.999 ms still lets one more request through.
    ScriptedCamera camera({frameAtMs(0), frameAt(99'999'999ns), frameAt(999'999'999ns), frameAtMs(1500)});

    const CaptureStatistics statistics = runCaptureLoop(camera, camera.clock(), 1000, 10);

    EXPECT_EQ(camera.kept, (std::vector<std::pair<int32_t, int64_t>>{{0, 0}, {1, 99}, {2, 999}, {3, 1500}}));
    EXPECT_EQ(statistics.actualDurationMs, 1500);
    expectConsistent(statistics, camera);
}

TEST(CaptureLoop, NoFrameAfterTheWarmUpGivesOneMissingFramePerRequest)
{
    ScriptedCamera camera({});

    const CaptureStatistics statistics = runCaptureLoop(camera, camera.clock(), 5000, 10);

    // Requests at 0, 2000 and 4000 ms, each waiting its full 2000 ms.
    EXPECT_EQ(statistics.missingFrames, 3);
    EXPECT_EQ(statistics.receivedFrames, 0);
    EXPECT_EQ(statistics.savedFrames, 0);
    EXPECT_EQ(statistics.actualDurationMs, 6000);
    EXPECT_EQ(statistics.receivedFps, 0.0);
    EXPECT_EQ(statistics.savedFps, 0.0);
    EXPECT_EQ(exitCodeFor(statistics), 1);
    expectConsistent(statistics, camera);
}

TEST(CaptureLoop, FramesStoppingAfterTheFirstLetTheLastWaitRunToItsLimit)
{
    ScriptedCamera camera({frameAtMs(0)});

    const CaptureStatistics statistics = runCaptureLoop(camera, camera.clock(), 1000, 10);

    EXPECT_EQ(statistics.savedFrames, 1);
    EXPECT_EQ(statistics.missingFrames, 1);
    EXPECT_EQ(statistics.actualDurationMs, 2000);
    EXPECT_DOUBLE_EQ(statistics.savedFps, 0.5);
    EXPECT_EQ(exitCodeFor(statistics), 0);
    expectConsistent(statistics, camera);
}

TEST(CaptureLoop, IncompleteAndMissingFramesAreCountedAndNeverKept)
{
    ScriptedCamera camera({incompleteAtMs(0), incompleteAtMs(10), frameAtMs(20), nothingInTime(),
                           incompleteAtMs(2100), frameAtMs(2110), frameAtMs(2120), frameAtMs(3000)});

    const CaptureStatistics statistics = runCaptureLoop(camera, camera.clock(), 2500, 10);

    // The first complete frame is kept whenever it comes.
    EXPECT_EQ(keptTimestamps(camera), (std::vector<int64_t>{20, 2110, 3000}));
    EXPECT_EQ(statistics.receivedFrames, 7);
    EXPECT_EQ(statistics.incompleteFrames, 3);
    EXPECT_EQ(statistics.missingFrames, 1);
    EXPECT_EQ(statistics.skippedFrames, 1);
    EXPECT_EQ(statistics.savedFrames, 3);
    expectConsistent(statistics, camera);
}

TEST(CaptureLoop, TheEndTimeIsReadAfterTheSourceFinishedStreaming)
{
    ScriptedCamera camera({frameAtMs(0), frameAtMs(1000)});
    camera.finishStreamingTakes = 250ms;

    const CaptureStatistics statistics = runCaptureLoop(camera, camera.clock(), 1000, 10);

    EXPECT_EQ(statistics.actualDurationMs, 1250);
    EXPECT_DOUBLE_EQ(statistics.receivedFps, 2 * 1000.0 / 1250);
    expectConsistent(statistics, camera);
}

TEST(CaptureLoop, AMeasuredDurationBelowOneMillisecondGivesZeroRates)
{
    ScriptedCamera camera({});
    camera.finishStreamingTakes = 999'999ns;

    const CaptureStatistics statistics = runCaptureLoop(camera, camera.clock(), 0, 10);

    EXPECT_EQ(statistics.actualDurationMs, 0);
    EXPECT_EQ(statistics.receivedFps, 0.0);
    EXPECT_EQ(statistics.savedFps, 0.0);
    EXPECT_EQ(camera.requests, 0);
}

TEST(CaptureLoop, AFailureWhileKeepingEndsTheLoopAtOnceAndStillReleasesTheFrame)
{
    ScriptedCamera camera({frameAtMs(0), frameAtMs(50), frameAtMs(100), frameAtMs(200)});
    camera.failWhileKeepingIndex = 1;

    EXPECT_THROW(runCaptureLoop(camera, camera.clock(), 1000, 10), std::runtime_error);

    EXPECT_EQ(keptTimestamps(camera), (std::vector<int64_t>{0}));
    EXPECT_EQ(camera.requests, 3);
    EXPECT_EQ(camera.deliveries, 3);
    EXPECT_EQ(camera.releases, 3);
    EXPECT_EQ(camera.finishCalls, 0);
}

