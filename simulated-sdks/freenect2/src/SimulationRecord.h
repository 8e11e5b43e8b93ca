// What the simulated libfreenect2 records for Freenect2Observer.h, the guard against a listener
// destroyed while a device still delivers to it, and the readers waiting on a listener.
#pragma once

#include <string>

namespace libfreenect2 {
class FrameListener;
}

namespace kestrum_sim {

void recordFreenect2Event(const std::string& event);
void countFrameSets(long delivered, long released);
void countDeviceFrames(long change);

void addStreamingListener(const libfreenect2::FrameListener* listener);
void removeStreamingListener(const libfreenect2::FrameListener* listener);
// Ends the process loudly: on the real library this is a use after free in its own thread.
void abortIfStreamingTo(const libfreenect2::FrameListener* listener);

// A reader waits on the listener for a frame set from construction to destruction.
class ReaderWaiting {
public:
    explicit ReaderWaiting(const libfreenect2::FrameListener* listener);
    ~ReaderWaiting();
    ReaderWaiting(const ReaderWaiting&) = delete;
    ReaderWaiting& operator=(const ReaderWaiting&) = delete;

private:
    const libfreenect2::FrameListener* listener_;
};
bool readerWaitsOn(const libfreenect2::FrameListener* listener);

} // namespace kestrum_sim
