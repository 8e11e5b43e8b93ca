// The rules a series' timing file is checked against.
#include "TimingRules.h"

#include "ClockDrift.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

// A drift is a fault only where it stands out from the scatter of the arrival times by this many
// standard errors, so that a short run with late arrivals does not pass for a drifting clock.
constexpr double kDriftUncertainties = 4.0;

struct Stream {
    const char* name;
    StreamTiming CameraTiming::*member;
};

const Stream kStreams[] = {{"color", &CameraTiming::color}, {"depth", &CameraTiming::depth}};

std::string milliseconds(double us)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3f ms", us / 1000.0);
    return text;
}

std::string ppm(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%+.1f ppm", value);
    return text;
}

class Rules {
public:
    Rules(const TimingFile& file, const SeriesDescription& series)
        : file_(file), frames_(file.timing.frames), series_(series), problems_(file.problems)
    {
        for (const Stream& stream : kStreams) hostTimes_.push_back(hostTimesFor(file.timing, stream.member));
    }

    std::vector<std::string> apply()
    {
        for (const std::string& problem : frameOrderProblems(file_, series_.savedFrames)) problems_.push_back(problem);
        int64_t received = 0;
        for (size_t k = 0; k < frames_.size(); ++k) {
            checkHostTimes(k);
            received += frames_[k].receivedSincePrevious;
            for (size_t stream = 0; stream < std::size(kStreams); ++stream) checkStream(stream, k);
            const int64_t apart = static_cast<int64_t>(frames_[k].camera.depth.deviceTimestampUs -
                                                       frames_[k].camera.color.deviceTimestampUs);
            if (std::llabs(apart) > kColorDepthApartUs) {
                add(k, "colour and depth are " + milliseconds(static_cast<double>(std::llabs(apart))) +
                           " apart in device time");
            }
        }
        if (received > series_.receivedFrames) {
            problems_.push_back("the frames received add up to " + std::to_string(received) +
                                ", more than receivedFrames " + std::to_string(series_.receivedFrames));
        }
        for (size_t stream = 0; stream < std::size(kStreams); ++stream) checkDrift(stream);
        return problems_;
    }

private:
    void add(size_t frame, const std::string& what)
    {
        problems_.push_back("line " + std::to_string(file_.frameLines[frame]) + ": " + what);
    }

    void checkHostTimes(size_t k)
    {
        const FrameTiming& frame = frames_[k];
        if (frame.timestampMs < 0 || frame.timestampMs > series_.actualDurationMs) {
            add(k, "timestampMs " + std::to_string(frame.timestampMs) + " is outside the run's 0 to " +
                       std::to_string(series_.actualDurationMs) + " ms");
        }
        if (k > 0 && series_.requestedSampleFps > 0) {
            // The capture keeps a frame at most 1 ms before its due time.
            const int64_t after = frame.timestampMs - frames_[k - 1].timestampMs;
            if (static_cast<double>(after) + 1.0 < 1000.0 / static_cast<double>(series_.requestedSampleFps)) {
                add(k, "timestampMs " + std::to_string(frame.timestampMs) + " is " + std::to_string(after) +
                           " ms after the previous frame's, sooner than a run at " +
                           std::to_string(series_.requestedSampleFps) + " per second keeps frames");
            }
        }
        if (frame.receivedSincePrevious < 1) {
            add(k, "receivedSincePrevious " + std::to_string(frame.receivedSincePrevious) + " is below 1");
        }
        const SamplingStart& start = *file_.timing.samplingStart;
        const int64_t sinceStartUs = frame.hostMonotonicUs - start.monotonicUs;
        // Both are truncated to their units, so they may differ by one.
        if (std::llabs(frame.timestampMs - sinceStartUs / 1000) > 1) {
            add(k, "timestampMs " + std::to_string(frame.timestampMs) + " is not hostMonotonicUs less the sampling "
                       "start (" + milliseconds(static_cast<double>(sinceStartUs)) + ")");
        }
        const int64_t wallMoved = (frame.hostWallClockUs - start.wallClockUs) - sinceStartUs;
        if (std::llabs(wallMoved) > kWallClockSlackUs) {
            add(k, "the wall clock moved " + milliseconds(static_cast<double>(wallMoved)) +
                       " against the monotonic clock since the sampling start (was it set during the run?)");
        }
    }

    void checkStream(size_t streamIndex, size_t k)
    {
        const Stream& stream = kStreams[streamIndex];
        if (k == 0) return;
        const StreamTiming& now = frames_[k].camera.*stream.member;
        const StreamTiming& before = frames_[k - 1].camera.*stream.member;
        const std::string name = stream.name;
        if (now.frameNumber <= before.frameNumber) {
            add(k, name + "FrameNumber " + std::to_string(now.frameNumber) + " is not above the previous frame's " +
                       std::to_string(before.frameNumber));
        }
        if (now.deviceTimestampUs <= before.deviceTimestampUs) {
            add(k, name + "DeviceTimestampUs " + std::to_string(now.deviceTimestampUs) +
                       " is not above the previous frame's " + std::to_string(before.deviceTimestampUs) +
                       " (was the camera's clock reset?)");
            return;
        }
        const std::vector<int64_t>& host = hostTimes_[streamIndex];
        const auto deviceMoved = static_cast<int64_t>(now.deviceTimestampUs - before.deviceTimestampUs);
        const int64_t hostMoved = host[k] - host[k - 1];
        if (std::llabs(deviceMoved - hostMoved) > kDeviceClockJumpUs) {
            add(k, "the " + name + " device clock moved " + milliseconds(static_cast<double>(deviceMoved)) +
                       " while the host's moved " + milliseconds(static_cast<double>(hostMoved)) + " (a jump)");
        }
    }

    void checkDrift(size_t streamIndex)
    {
        const Stream& stream = kStreams[streamIndex];
        const std::vector<int64_t>& host = hostTimes_[streamIndex];
        std::vector<ClockReading> readings;
        for (size_t k = 0; k < frames_.size(); ++k) {
            readings.push_back({host[k], static_cast<int64_t>((frames_[k].camera.*stream.member).deviceTimestampUs)});
        }
        const std::optional<ClockDrift> drift = clockDrift(readings);
        if (!drift) return;
        const double spanUs = static_cast<double>(host.back() - host.front());
        const double allowed = std::max({kLeastDriftFaultPpm, kDriftUncertainties * drift->uncertaintyPpm,
                                         static_cast<double>(kArrivalDelaySwingUs) / spanUs * 1e6});
        if (std::fabs(drift->ppm) > allowed) {
            problems_.push_back(std::string("the ") + stream.name + " device clock drifts " + ppm(drift->ppm) +
                                " against the host's, beyond the " + ppm(allowed).substr(1) +
                                " its arrival times allow");
        }
    }

    const TimingFile& file_;
    const std::vector<FrameTiming>& frames_;
    const SeriesDescription& series_;
    std::vector<std::string> problems_;
    std::vector<std::vector<int64_t>> hostTimes_;   // per stream, as hostTimesFor gives them
};

} // namespace

std::vector<std::string> timingProblems(const TimingFile& file, const SeriesDescription& series)
{
    return Rules(file, series).apply();
}

std::vector<int64_t> hostTimesFor(const SeriesTiming& timing, StreamTiming CameraTiming::*stream)
{
    bool everyFrame = true;
    for (const FrameTiming& frame : timing.frames) everyFrame = everyFrame && (frame.camera.*stream).systemTimestampUs;
    std::vector<int64_t> times;
    for (const FrameTiming& frame : timing.frames) {
        const StreamTiming& own = frame.camera.*stream;
        times.push_back(everyFrame ? static_cast<int64_t>(*own.systemTimestampUs) : frame.hostMonotonicUs);
    }
    return times;
}
