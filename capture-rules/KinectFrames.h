// KinectFrames: a started Kinect v2's frame sets, one wait at a time, as the capture takes them.
#pragma once

#include "Grab.h"
#include "KinectDevice.h"
#include "KinectFrameSet.h"

#include <chrono>

class KinectFrames {
public:
    explicit KinectFrames(const KinectDevice& device) : device_(device) {}

    // One frame set of the warm-up, waited for at its limit and given back at once; throws
    // kKinectWarmupTimeoutMessage, which ends a capture, when none comes.
    void warmupFrame() const;

    const KinectDevice& device() const { return device_; }

private:
    const KinectDevice& device_;
};

// One wait of at most waitLimit for a frame set, which goes back to the listener when this goes,
// also when handling it throws.
class KinectGrab {
public:
    KinectGrab(const KinectFrames& frames, std::chrono::milliseconds waitLimit);

    // A set without its colour or its depth frame is Incomplete.
    Grab outcome() const;
    // The frames of a Complete grab.
    const libfreenect2::Frame& color() const { return *frames_.frame(libfreenect2::Frame::Color); }
    const libfreenect2::Frame& depth() const { return *frames_.frame(libfreenect2::Frame::Depth); }

private:
    KinectFrameSet frames_;
};
