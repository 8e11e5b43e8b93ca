// OrbbecFrames: a started Orbbec camera's aligned frames, one wait at a time, as the capture takes them.
#pragma once

#include "Grab.h"
#include "OrbbecCamera.h"

#include <chrono>
#include <string>

// One wait for an aligned frame and what it brought.
struct OrbbecGrab {
    Grab outcome = Grab::TimedOut;
    OrbbecRgbdFrame frame;          // the images, when a frame came
    std::string timeoutMessage;     // the camera's words, when none came in time
};

class OrbbecFrames {
public:
    explicit OrbbecFrames(OrbbecCamera& camera) : camera_(camera) {}

    // One frame of the warm-up, waited for at its limit and discarded. Every failure ends a
    // capture, a time-out too, and passes on.
    void warmupFrame();

    // One wait of at most waitLimit. A time-out is no failure: OrbbecFrameTimeout, or any other
    // failure whose text contains "Timeout" (an SDK error that its type does not tell). A frame
    // without its colour or its depth image is Incomplete. Every other failure passes on.
    OrbbecGrab grab(std::chrono::milliseconds waitLimit);

    // Stops the camera now rather than when the sequence ends.
    void stop() { camera_.stop(); }

    const OrbbecCamera& camera() const { return camera_; }

private:
    OrbbecCamera& camera_;
};
