// The synchronising frame listener of the simulated libfreenect2.
#pragma once

#include <libfreenect2/config.h>
#include <libfreenect2/frame_listener.hpp>

#include <map>
#include <memory>

namespace libfreenect2 {

typedef std::map<Frame::Type, Frame*> FrameMap;

class SyncMultiFrameListenerImpl;

// Collects the newest frame of every subscribed type and hands out complete sets.
class LIBFREENECT2_API SyncMultiFrameListener : public FrameListener {
public:
    explicit SyncMultiFrameListener(unsigned int frame_types);
    virtual ~SyncMultiFrameListener();
    SyncMultiFrameListener(const SyncMultiFrameListener&) = delete;
    SyncMultiFrameListener& operator=(const SyncMultiFrameListener&) = delete;

    bool hasNewFrame() const;
    // False when no complete set arrived within the time; the caller releases a delivered set.
    bool waitForNewFrame(FrameMap& frame, int milliseconds);
    void waitForNewFrame(FrameMap& frame);
    void release(FrameMap& frame);

    virtual bool onNewFrame(Frame::Type type, Frame* frame);

private:
    std::unique_ptr<SyncMultiFrameListenerImpl> impl_;
};

} // namespace libfreenect2
