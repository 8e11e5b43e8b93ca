// What the simulated libfreenect2 records for Freenect2Observer.h, and the guard
// against a listener destroyed while a device still delivers to it.
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

} // namespace kestrum_sim
