// The synchronising listener: keeps the newest frame of each subscribed type and
// hands out a set once every type is there, as the real SyncMultiFrameListener does.
#include <libfreenect2/frame_listener_impl.h>

#include "SimulationRecord.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace libfreenect2 {

class SyncMultiFrameListenerImpl {
public:
    explicit SyncMultiFrameListenerImpl(unsigned int frameTypes) : subscribedTypes(frameTypes) {}

    bool complete() const { return readyTypes == subscribedTypes; }

    FrameMap takeSet()
    {
        FrameMap set;
        set.swap(pending);
        readyTypes = 0;
        return set;
    }

    mutable std::mutex mutex;
    std::condition_variable arrived;
    FrameMap pending;
    const unsigned int subscribedTypes;
    unsigned int readyTypes = 0;
    // After an untimed wait the real listener drops new frames until the set is released.
    bool deliveredSetReleased = true;
};

SyncMultiFrameListener::SyncMultiFrameListener(unsigned int frame_types)
    : impl_(std::make_unique<SyncMultiFrameListenerImpl>(frame_types))
{
}

SyncMultiFrameListener::~SyncMultiFrameListener()
{
    kestrum_sim::abortIfStreamingTo(this);
    for (auto& entry : impl_->pending)
        delete entry.second;
    kestrum_sim::recordFreenect2Event("listener-destroyed");
}

bool SyncMultiFrameListener::hasNewFrame() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->complete();
}

bool SyncMultiFrameListener::waitForNewFrame(FrameMap& frame, int milliseconds)
{
    const kestrum_sim::ReaderWaiting waiting(this);
    std::unique_lock<std::mutex> lock(impl_->mutex);
    if (!impl_->arrived.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return impl_->complete(); })) {
        return false;
    }
    frame = impl_->takeSet();
    kestrum_sim::countFrameSets(1, 0);
    return true;
}

void SyncMultiFrameListener::waitForNewFrame(FrameMap& frame)
{
    const kestrum_sim::ReaderWaiting waiting(this);
    std::unique_lock<std::mutex> lock(impl_->mutex);
    impl_->arrived.wait(lock, [&] { return impl_->complete(); });
    frame = impl_->takeSet();
    impl_->deliveredSetReleased = false;
    kestrum_sim::countFrameSets(1, 0);
}

void SyncMultiFrameListener::release(FrameMap& frame)
{
    if (!frame.empty()) kestrum_sim::countFrameSets(0, 1);
    for (auto& entry : frame)
        delete entry.second;
    frame.clear();
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->deliveredSetReleased = true;
}

bool SyncMultiFrameListener::onNewFrame(Frame::Type type, Frame* frame)
{
    if ((impl_->subscribedTypes & type) == 0) return false;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        if (!impl_->deliveredSetReleased) return false;
        Frame*& slot = impl_->pending[type];
        delete slot;
        slot = frame;
        impl_->readyTypes |= type;
    }
    impl_->arrived.notify_one();
    return true;
}

} // namespace libfreenect2
