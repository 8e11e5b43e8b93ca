// The capture's sequence for a Kinect v2: open the default device, start colour, infrared and
// depth into one listener, read its camera parameters, let the program take its frames, then stop
// and close the device. kestrum-capture records a series with it, kestrum-doctor checks the camera
// with it.
#pragma once

#include "KinectFrames.h"

#include <libfreenect2/libfreenect2.hpp>

#include <string>

// What a started Kinect v2 tells the program.
struct KinectStarted {
    std::string serial;
    libfreenect2::Freenect2Device::IrCameraParams depthCamera;
    libfreenect2::Freenect2Device::ColorCameraParams colorCamera;
};

// What a program does once the device streams.
class KinectSequenceSteps {
public:
    virtual ~KinectSequenceSteps() = default;
    // Takes frames, the warm-up's first, for as long as the program likes; the device streams on
    // until the sequence ends.
    virtual void stream(const KinectStarted& kinect, KinectFrames& frames) = 0;
};

enum class KinectOpening { Started, NoDevice, NotOpened, NotStarted };

// How far the device got, and the serial number of the one found (empty when none was).
struct KinectSequenceEnd {
    KinectOpening opening = KinectOpening::NoDevice;
    std::string serial;
};

// Runs the sequence, the step only once the device streams. On every way out, a failure of the
// step included, the device is stopped (also after a failed start) and closed before its listener
// goes, the library context last; only then does this return or the failure pass on.
KinectSequenceEnd runKinectSequence(KinectSequenceSteps& steps);
