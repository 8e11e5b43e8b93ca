// Grabbing frames for a few seconds with the capture program's time limits.
#include "FrameGrab.h"

GrabCounts grabFrames(FrameGrabber& grabber, const MonotonicClock& clock, const GrabLimits& limits,
                      const StopCheck& isStopRequested)
{
    GrabCounts counts;
    const std::chrono::nanoseconds start = clock();
    const auto elapsed = [&] { return std::chrono::duration_cast<std::chrono::milliseconds>(clock() - start); };
    for (int32_t wait = 0; !isStopRequested() && elapsed() < limits.duration; ++wait) {
        const bool warmup = wait < kWarmupFrames;
        switch (grabber.grab(warmup ? limits.warmupWait : kFrameWaitLimit)) {
        case Grab::Complete:
            ++counts.complete;
            break;
        case Grab::Incomplete:
            ++counts.incomplete;
            break;
        case Grab::TimedOut:
            ++counts.timedOut;
            counts.warmupTimedOut = counts.warmupTimedOut || warmup;
            break;
        }
    }
    counts.elapsedMs = elapsed().count();
    counts.stopped = isStopRequested();
    return counts;
}
