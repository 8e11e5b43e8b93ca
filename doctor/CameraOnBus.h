// How the doctor names a camera on the USB bus, and what keeps an SDK from one it shows.
#pragma once

#include "UsbSurvey.h"

#include <string>

// "Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 2, device 3"
std::string describeUsbCamera(const UsbCamera& camera);

// True for USB 2 and slower links; an unknown speed (empty) is not judged.
bool isBelowUsb3(const std::string& speed);

// "480 Mbit/s (USB 2)"
std::string describeSpeed(const std::string& speed);

// The fix for a device node this user may not open: a replug where udev rules for the camera are
// installed, else the station package's rules or the SDK's own.
std::string udevRulesFix(const UsbSurvey& survey, UsbCameraKind kind);

inline constexpr const char* kMissingNodeFix =
    "run the programs where udev provides /dev/bus/usb (a container needs the USB devices passed in)";

// Why an SDK does not find or open a camera that is on the bus, and what to do about it.
struct LikelyCause {
    std::string reason;   // empty when the bus does not show such a camera
    std::string fix;
};

// Access to the device node when this user may not open one of that kind, else a missing node,
// else a USB 2 link, else another process.
LikelyCause likelyCause(const UsbSurvey& survey, UsbCameraKind kind);

bool isOnBus(const UsbSurvey& survey, UsbCameraKind kind);
