// KinectFrameSet: one frame set waited for from a started KinectDevice, handed back to
// its listener exactly once when the scope ends, also when handling the set throws.
#pragma once

#include "KinectDevice.h"

#include <libfreenect2/frame_listener_impl.h>

class KinectFrameSet {
public:
    // Waits up to timeoutMs for the next frame set.
    KinectFrameSet(const KinectDevice& device, int timeoutMs);
    ~KinectFrameSet();
    KinectFrameSet(const KinectFrameSet&) = delete;
    KinectFrameSet& operator=(const KinectFrameSet&) = delete;

    // False when no frame set came within the time.
    bool delivered() const { return delivered_; }
    // The set's frame of this type, or null when the set has none.
    const libfreenect2::Frame* frame(libfreenect2::Frame::Type type) const;

private:
    libfreenect2::SyncMultiFrameListener& listener_;
    libfreenect2::FrameMap frames_;
    bool delivered_ = false;
};
