// Grabbing frames for a few seconds with the capture program's time limits: its warm-up
// frames wait as long as its warm-up does, every later frame as long as its loop does.
#pragma once

#include "CaptureLimits.h"
#include "Grab.h"
#include "MonotonicClock.h"
#include "StopCheck.h"

#include <chrono>
#include <cstdint>

// One camera's frames, one wait at a time; a failure other than a time-out throws.
class FrameGrabber {
public:
    virtual ~FrameGrabber() = default;
    virtual Grab grab(std::chrono::milliseconds waitLimit) = 0;
};

struct GrabLimits {
    std::chrono::milliseconds duration;   // no wait begins after this much time
    std::chrono::milliseconds warmupWait;   // the limit of each of the first kWarmupFrames waits
};

struct GrabCounts {
    int32_t complete = 0;
    int32_t incomplete = 0;             // a frame without its colour or its depth part
    int32_t timedOut = 0;
    bool warmupTimedOut = false;        // a time-out among the first kWarmupFrames waits, which ends a capture
    int64_t elapsedMs = 0;
    bool stopped = false;               // a stop request ended the grab early

    int32_t received() const { return complete + incomplete; }
};

GrabCounts grabFrames(FrameGrabber& grabber, const MonotonicClock& clock, const GrabLimits& limits,
                      const StopCheck& isStopRequested);
