// The simulated Kinect v2's settings from KESTRUM_SIM_KINECT.
#pragma once

#include "kestrum_sim/DeviceClock.h"
#include "kestrum_sim/ReplaySeries.h"

#include <memory>
#include <string>

namespace kestrum_sim {

struct KinectSettings {
    long deviceCount = 0; // 0: nothing attached
    std::string firstSerial;
    double fps = 30.0;
    long frameLimit = -1; // frame sets per start; -1: no limit
    bool failOpen = false;
    bool failStart = false;
    long noDepthEvery = 0; // 0: never
    long noColorEvery = 0;
    bool lossless = false; // hold each set back until the one before is taken and a reader waits
    DeviceClockSettings clock;
    std::shared_ptr<const ReplaySeries> replay; // frames of a recorded series instead of the scene
};

// Read from the environment when first asked for, then kept.
KinectSettings kinectSettings();

std::string kinectSerialNumber(const KinectSettings& settings, long deviceIndex);

} // namespace kestrum_sim
