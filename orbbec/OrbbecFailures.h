// The failures of OrbbecCamera that its callers tell apart from all others, by their type.
#pragma once

#include <stdexcept>

// The exact message of a missing camera, which the programs' callers know.
inline constexpr const char* kNoOrbbecCameraMessage = "Keine Orbbec-Kamera gefunden.";

// No Orbbec camera is attached: the programs go on to the Kinect v2 on this and on nothing else.
class NoOrbbecCamera : public std::runtime_error {
public:
    NoOrbbecCamera() : std::runtime_error(kNoOrbbecCameraMessage) {}
};

// A wait for a frameset ran out: the camera's own time-out, or an SDK error whose status says so.
class OrbbecFrameTimeout : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
