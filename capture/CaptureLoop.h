// The capture loop both backends share: warm-up, sampling rule, counters, statistics.
#pragma once

#include "CaptureStatistics.h"
#include "HostClocks.h"
#include "SeriesTiming.h"
#include "StopCheck.h"

#include <chrono>
#include <cstdint>

// What the loop needs from a camera backend. A delivered frame is held by the
// source from a successful requestFrame until releaseFrame.
class FrameSource {
public:
    virtual ~FrameSource() = default;

    // Fetches one frame and discards it; throws when none comes in time.
    virtual void fetchWarmupFrame() = 0;
    // True when a frame was delivered within the limit, false when none came.
    virtual bool requestFrame(std::chrono::milliseconds waitLimit) = 0;
    // Whether the delivered frame has both its colour and its depth part.
    virtual bool frameIsComplete() const = 0;
    // What the camera says about the delivered complete frame's time; asked once per kept frame,
    // just before keepFrame.
    virtual CameraTiming frameTiming() = 0;
    // Writes the delivered frame's files and its "frameSaved" line; throws on failure.
    virtual void keepFrame(int32_t index, int64_t timestampMs) = 0;
    // Hands the delivered frame back to the camera library.
    virtual void releaseFrame() noexcept = 0;
    // Called once after the last request, before the end time is read
    // (the Orbbec backend stops its camera here).
    virtual void finishStreaming() = 0;
};

// What a completed loop gives: its counters and the timing of every frame it kept.
struct CaptureLoopResult {
    CaptureStatistics statistics;
    SeriesTiming timing;
};

// Runs the warm-up and then samples for durationMs; every delivered frame is
// released exactly once, also when keeping it throws (which ends the loop).
// A stop request during the warm-up ends it after the fetch in progress, and no
// frame is requested; during sampling it ends the loop as if the duration had run
// out at that moment: the frame in progress is still handled. Both clocks are read
// at the sampling start and at each arrival, the monotonic one first; a kept frame's
// timing goes into the result only once its files are written.
CaptureLoopResult runCaptureLoop(FrameSource& source, const HostClocks& clocks, int32_t durationMs,
                                 int32_t sampleFps, const StopCheck& isStopRequested);
