// A started Kinect v2's frame sets, one wait at a time, as the capture takes them.
#include "KinectFrames.h"

#include "CaptureLimits.h"
#include "KinectCaptureMessages.h"

#include <stdexcept>

void KinectFrames::warmupFrame() const
{
    if (KinectGrab(*this, kKinectWarmupWait).outcome() == Grab::TimedOut) {
        throw std::runtime_error(kKinectWarmupTimeoutMessage);
    }
}

KinectGrab::KinectGrab(const KinectFrames& frames, std::chrono::milliseconds waitLimit)
    : frames_(frames.device(), static_cast<int>(waitLimit.count()))
{
}

Grab KinectGrab::outcome() const
{
    if (!frames_.delivered()) {
        return Grab::TimedOut;
    }
    const bool complete = frames_.frame(libfreenect2::Frame::Color) != nullptr &&
                          frames_.frame(libfreenect2::Frame::Depth) != nullptr;
    return complete ? Grab::Complete : Grab::Incomplete;
}
