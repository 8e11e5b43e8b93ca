// The capture loop against a scripted frame source and fake clocks: sampling
// rule, counters, statistics, the kept frames' timing and the release of every delivered frame;
// the Kinect v2's device timestamps.
#include "CaptureLoop.h"
#include "KinectDeviceClock.h"

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
const Request kNothingInTime{Request::Outcome::NothingInTime, {}};
const StopCheck kNeverStopped = [] { return false; };

// A camera whose frames arrive at scripted times; it moves the fake clock to
// each arrival, and by the wait limit when nothing comes (also once the script
// has run out).
class ScriptedCamera : public FrameSource {
public:
    explicit ScriptedCamera(std::vector<Request> script) : script_(script.begin(), script.end()) {}

    // The wall clock reads the same moments, from its own epoch.
    HostClocks clocks()
    {
        return {[this] { return now_; },
                [this] { return kWallClockAtStart + std::chrono::duration_cast<std::chrono::microseconds>(now_ - kSamplingStart); }};
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
        const Request request = script_.empty() ? kNothingInTime : script_.front();
        if (!script_.empty()) script_.pop_front();
        if (request.outcome == Request::Outcome::NothingInTime) {
            now_ += waitLimit;
            return false;
        }
        now_ = std::max(now_, kSamplingStart + request.arrival);
        complete_ = request.outcome == Request::Outcome::Frame;
        holding_ = true;
        ++deliveries;
        return true;
    }

    bool frameIsComplete() const override { return complete_; }

    // Numbered by delivery, so that a record shows which frame it came from.
    CameraTiming frameTiming() override
    {
        CameraTiming timing;
        timing.color.frameNumber = static_cast<uint64_t>(deliveries);
        return timing;
    }

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

    int warmupFetches = 0, requests = 0, deliveries = 0, releases = 0, finishCalls = 0;
    int32_t failWhileKeepingIndex = -1;
    std::chrono::nanoseconds finishStreamingTakes{0};
    std::vector<std::pair<int32_t, int64_t>> kept;   // index, timestampMs

private:
    // An arbitrary reading: only differences count.
    static constexpr std::chrono::nanoseconds kSamplingStart = 7'000'000'123ns;
    static constexpr std::chrono::microseconds kWallClockAtStart{1'733'600'000'000'000};
    std::deque<Request> script_;
    std::chrono::nanoseconds now_ = kSamplingStart;
    bool complete_ = false;
    bool holding_ = false;
};

std::vector<int64_t> keptTimestamps(const ScriptedCamera& camera)
{
    std::vector<int64_t> timestamps;
    for (const auto& [index, timestampMs] : camera.kept) {
        EXPECT_EQ(index, static_cast<int32_t>(timestamps.size())) << "indices without gaps";
        timestamps.push_back(timestampMs);
    }
    return timestamps;
}

std::vector<Request> framesEvery33MsUntil(int64_t lastMs)
{
    std::vector<Request> script;
    for (int64_t ms = 0; ms <= lastMs; ms += 33) script.push_back(frameAtMs(ms));
    return script;
}

struct LoopCase {
    const char* rule;
    std::vector<Request> script;
    int32_t durationMs, sampleFps;
    std::chrono::nanoseconds finishStreamingTakes;
    std::vector<int64_t> keptMs;
    int32_t skipped, incomplete, missing;
    int64_t actualDurationMs;
    double receivedFps, savedFps;   // worked out by hand
};

} // namespace

TEST(CaptureLoop, SamplingRuleCountersAndStatistics)
{
    const LoopCase cases[] = {
        // 99 is kept (99 + 1.0 is not below 100.0), and the next due time is 199.0. The frame
        // requested at 990 ms arrived at 1023 ms; the loop ended right after it.
        {"33 ms frames at 10 fps", framesEvery33MsUntil(1023), 1000, 10, 0ns,
         {0, 99, 198, 297, 396, 495, 594, 693, 792, 891, 990}, 21, 0, 0, 1023, 31.280547, 10.752688},
        {"kept from 1 ms before the due time", {frameAtMs(0), frameAtMs(98), frameAtMs(99), frameAtMs(1000)},
         1000, 10, 0ns, {0, 99, 1000}, 1, 0, 0, 1000, 4.0, 3.0},
        // 1000 / 3 = 333.333...: 332 + 1.0 is below it, 333 + 1.0 is not.
        {"fps 3", {frameAtMs(0), frameAtMs(332), frameAtMs(333), frameAtMs(1000)}, 1000, 3, 0ns, {0, 333, 1000},
         1, 0, 0, 1000, 4.0, 3.0},
        // 99.999 ms counts as 99, which is due at 100.0; the head check at 999.999 ms
        // still lets one more request through.
        {"elapsed time truncated", {frameAtMs(0), frameAt(99'999'999ns), frameAt(999'999'999ns), frameAtMs(1500)},
         1000, 10, 0ns, {0, 99, 999, 1500}, 0, 0, 0, 1500, 2.666667, 2.666667},
        // Requests at 0, 2000 and 4000 ms, each waiting its full 2000 ms.
        {"no frames at all", {}, 5000, 10, 0ns, {}, 0, 0, 3, 6000, 0.0, 0.0},
        {"frames stop after the first", {frameAtMs(0)}, 1000, 10, 0ns, {0}, 0, 0, 1, 2000, 0.5, 0.5},
        // The first complete frame is kept whenever it comes.
        {"incomplete and missing",
         {incompleteAtMs(0), incompleteAtMs(10), frameAtMs(20), kNothingInTime, incompleteAtMs(2100),
          frameAtMs(2110), frameAtMs(2120), frameAtMs(3000)},
         2500, 10, 0ns, {20, 2110, 3000}, 1, 3, 1, 3000, 2.333333, 1.0},
        {"end time read after finishing", {frameAtMs(0), frameAtMs(1000)}, 1000, 10, 250ms, {0, 1000}, 0, 0, 0,
         1250, 1.6, 1.6},
        {"below one millisecond", {}, 0, 10, 999'999ns, {}, 0, 0, 0, 0, 0.0, 0.0},
    };
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(c.rule);
        ScriptedCamera camera(c.script);
        camera.finishStreamingTakes = c.finishStreamingTakes;

        const CaptureStatistics s = runCaptureLoop(camera, camera.clocks(), c.durationMs, c.sampleFps, kNeverStopped).statistics;

        EXPECT_EQ(keptTimestamps(camera), c.keptMs);
        EXPECT_EQ(s.savedFrames, static_cast<int32_t>(c.keptMs.size()));
        EXPECT_EQ(s.skippedFrames, c.skipped);
        EXPECT_EQ(s.incompleteFrames, c.incomplete);
        EXPECT_EQ(s.missingFrames, c.missing);
        EXPECT_EQ(s.actualDurationMs, c.actualDurationMs);
        EXPECT_NEAR(s.receivedFps, c.receivedFps, 1e-6);
        EXPECT_NEAR(s.savedFps, c.savedFps, 1e-6);
        EXPECT_EQ(camera.requests, c.durationMs == 0 ? 0 : s.receivedFrames + s.missingFrames);
        EXPECT_EQ(camera.releases, camera.deliveries);
        EXPECT_EQ(camera.warmupFetches, 15);
        EXPECT_EQ(camera.finishCalls, 1);
    }
}

TEST(CaptureLoop, AFailureWhileKeepingEndsTheLoopAtOnceAndStillReleasesTheFrame)
{
    ScriptedCamera camera({frameAtMs(0), frameAtMs(50), frameAtMs(100), frameAtMs(200)});
    camera.failWhileKeepingIndex = 1;

    EXPECT_THROW(runCaptureLoop(camera, camera.clocks(), 1000, 10, kNeverStopped), std::runtime_error);

    EXPECT_EQ(keptTimestamps(camera), (std::vector<int64_t>{0}));
    EXPECT_EQ(camera.requests, 3);
    EXPECT_EQ(camera.deliveries, 3);
    EXPECT_EQ(camera.releases, 3);
    EXPECT_EQ(camera.finishCalls, 0);
}

TEST(CaptureLoop, AStopEndsTheWarmUpAtOnceAndTheSamplingAfterTheFrameInProgress)
{
    ScriptedCamera warmingUp(framesEvery33MsUntil(1023));
    const CaptureStatistics early =
        runCaptureLoop(warmingUp, warmingUp.clocks(), 1000, 10, [&] { return warmingUp.warmupFetches == 3; }).statistics;
    EXPECT_EQ(warmingUp.warmupFetches, 3);
    EXPECT_EQ(warmingUp.requests, 0);
    EXPECT_EQ(early.actualDurationMs, 0);
    EXPECT_EQ(warmingUp.finishCalls, 1);

    // The stop comes while the tenth request (the frame at 297 ms) is under way.
    ScriptedCamera sampling(framesEvery33MsUntil(1023));
    const CaptureStatistics stopped =
        runCaptureLoop(sampling, sampling.clocks(), 1000, 10, [&] { return sampling.requests == 10; }).statistics;
    EXPECT_EQ(keptTimestamps(sampling), (std::vector<int64_t>{0, 99, 198, 297}));
    EXPECT_EQ(sampling.releases, 10);
    EXPECT_EQ(stopped.actualDurationMs, 297);
    EXPECT_EQ(sampling.finishCalls, 1);
}

// Each kept frame's record: its arrival on both clocks (the wall clock 1,733,600,000 s after 1970 at the
// sampling start), the frames received since the one kept before, and the timing of that very frame.
TEST(CaptureLoop, AKeptFrameRecordsItsArrivalOnBothClocksAndTheFramesReceivedSinceTheLastOne)
{
    ScriptedCamera camera({frameAt(1'500ns), incompleteAtMs(10), frameAtMs(50), kNothingInTime, frameAt(2'100'000'999ns)});
    const SeriesTiming timing = runCaptureLoop(camera, camera.clocks(), 3000, 10, kNeverStopped).timing;

    ASSERT_TRUE(timing.samplingStart);
    EXPECT_EQ(timing.samplingStart->monotonicUs, 7'000'000);
    EXPECT_EQ(timing.samplingStart->wallClockUs, 1'733'600'000'000'000);
    ASSERT_EQ(timing.frames.size(), 2u);
    const struct {
        int64_t timestampMs, monotonicUs, wallClockUs, receivedSincePrevious;
        uint64_t delivery;
    } expected[] = {{0, 7'000'001, 1'733'600'000'000'001, 1, 1}, {2100, 9'100'001, 1'733'600'002'100'000, 3, 4}};
    for (size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const FrameTiming& frame = timing.frames[k];
        EXPECT_EQ(frame.index, static_cast<int32_t>(k));
        EXPECT_EQ(frame.timestampMs, expected[k].timestampMs);
        EXPECT_EQ(frame.hostMonotonicUs, expected[k].monotonicUs);
        EXPECT_EQ(frame.hostWallClockUs, expected[k].wallClockUs);
        EXPECT_EQ(frame.receivedSincePrevious, expected[k].receivedSincePrevious);
        EXPECT_EQ(frame.camera.color.frameNumber, expected[k].delivery);
    }
}

// libfreenect2's 32-bit counts of 0.125 ms: on across the wrap, and a reset stays one.
TEST(KinectDeviceClock, CountsOnAcrossTheWrapButNotAcrossAReset)
{
    KinectDeviceClock clock;
    EXPECT_EQ(clock.microseconds(4'294'967'000u), 536'870'875'000u);
    EXPECT_EQ(clock.microseconds(4'294'967'295u), 536'870'911'875u);
    EXPECT_EQ(clock.microseconds(266u), 536'870'945'250u);   // 2^32 + 266 counts
    EXPECT_EQ(clock.microseconds(532u), 536'870'978'500u);
    EXPECT_EQ(clock.microseconds(100u), 536'870'924'500u);   // the camera's clock went back
    KinectDeviceClock reset;
    EXPECT_EQ(reset.microseconds(1'000'000u), 125'000'000u);
    EXPECT_EQ(reset.microseconds(10u), 1'250u);
}
