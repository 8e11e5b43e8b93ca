// The camera as the programs find and use it: the Orbbec camera first, the Kinect v2 only
// when the Orbbec SDK finds none; each opened, started, grabbed from, stopped and closed
// through the capture's own camera sequences.
#pragma once

#include "FrameGrab.h"
#include "OrbbecCamera.h"
#include "PinholeIntrinsics.h"

#include <string>

struct OrbbecCheck {
    enum class Result { NotFound, Failed, Grabbed };
    Result result = Result::NotFound;
    bool opened = false;
    bool started = false;          // the streams the capture program uses are offered and started
    std::string error;             // what a failed camera reports, as the capture program would
    OrbbecDeviceInfo device;
    OrbbecIntrinsics intrinsics;
    bool frameSync = false;
    float depthScale = 1.0f;       // of the last complete frame
    std::string timeoutMessage;    // the camera's words for a wait that ended without a frame
    GrabCounts grab;
};

struct KinectCheck {
    enum class Result { NotTried, NoDevice, NotOpened, NotStarted, Grabbed };
    Result result = Result::NotTried;
    std::string serial;
    PinholeIntrinsics depthCamera;
    GrabCounts grab;
};

struct CameraCheck {
    OrbbecCheck orbbec;
    KinectCheck kinect;
};

// The camera the programs would use: none, or the one whose SDK found it.
enum class CameraKind { None, Orbbec, Kinect };
CameraKind foundCamera(const CameraCheck& check);

// Grabs for grabDuration from the camera found; a stop request ends the grab early,
// and every camera opened is stopped and closed before this returns.
CameraCheck checkCameras(std::chrono::milliseconds grabDuration, const MonotonicClock& clock,
                         const StopCheck& isStopRequested);
