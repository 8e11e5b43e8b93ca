// One frame set, released exactly once.
#include "KinectFrameSet.h"

KinectFrameSet::KinectFrameSet(const KinectDevice& device, int timeoutMs) : listener_(device.listener())
{
    delivered_ = listener_.waitForNewFrame(frames_, timeoutMs);
}

KinectFrameSet::~KinectFrameSet()
{
    if (delivered_) {
        listener_.release(frames_);
    }
}

const libfreenect2::Frame* KinectFrameSet::frame(libfreenect2::Frame::Type type) const
{
    const auto found = frames_.find(type);
    return found == frames_.end() ? nullptr : found->second;
}
