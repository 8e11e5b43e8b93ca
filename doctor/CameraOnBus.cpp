// How the doctor names a camera on the USB bus, and what keeps an SDK from one it shows.
#include "CameraOnBus.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

std::string describeUsbCamera(const UsbCamera& camera)
{
    std::string text;
    switch (camera.kind) {
    case UsbCameraKind::Orbbec:
        text = "Orbbec camera ";
        break;
    case UsbCameraKind::KinectSensor:
        text = "Kinect v2 ";
        break;
    case UsbCameraKind::KinectHub:
        text = "Kinect v2 hub ";
        break;
    }
    text += camera.vendorId + ":" + camera.productId;
    if (!camera.serial.empty()) {
        text += " (serial " + camera.serial + ")";
    }
    return text + " on USB bus " + std::to_string(camera.bus) + ", device " + std::to_string(camera.device);
}

bool isBelowUsb3(const std::string& speed)
{
    return !speed.empty() && std::strtod(speed.c_str(), nullptr) < 5000.0;
}

std::string describeSpeed(const std::string& speed)
{
    if (speed.empty()) {
        return "unknown speed";
    }
    const double mbits = std::strtod(speed.c_str(), nullptr);
    const char* generation = mbits >= 5000.0 ? "USB 3" : mbits >= 480.0 ? "USB 2" : "USB 1";
    return speed + " Mbit/s (" + generation + ")";
}

std::string udevRulesFix(const UsbSurvey& survey, UsbCameraKind kind)
{
    const bool orbbec = kind == UsbCameraKind::Orbbec;
    const std::string& installed = orbbec ? survey.orbbecRules : survey.kinectRules;
    if (!installed.empty()) {
        return "replug the camera, so that udev applies " + installed + " to it";
    }
    // The folders the installation's recipe unpacks the SDKs' archives into.
    const std::string sdkRules = orbbec ? std::string("OrbbecSDK_v2-2.9.3/scripts/env_setup/") + kOrbbecSdkUdevRules
                                        : std::string("libfreenect2-0.2.1/platform/linux/udev/") + kKinectUdevRules;
    return std::string("install the station package kestrum (again), which puts its udev rules in ") +
           kPackagedUdevRules + ", or without the package copy the SDK's own where its archive was unpacked: sudo cp " +
           sdkRules + " " + kCopiedUdevRulesDir + "; then replug the camera";
}

namespace {

bool anyOnBus(const UsbSurvey& survey, UsbCameraKind kind, const std::function<bool(const UsbCamera&)>& holds)
{
    return std::any_of(survey.cameras.begin(), survey.cameras.end(),
                       [&](const UsbCamera& camera) { return camera.kind == kind && holds(camera); });
}

} // namespace

bool isOnBus(const UsbSurvey& survey, UsbCameraKind kind)
{
    return anyOnBus(survey, kind, [](const UsbCamera&) { return true; });
}

LikelyCause likelyCause(const UsbSurvey& survey, UsbCameraKind kind)
{
    if (!isOnBus(survey, kind)) {
        return {};
    }
    if (anyOnBus(survey, kind, [](const UsbCamera& camera) { return camera.access == NodeAccess::Denied; })) {
        return {"this user may not open its device node", udevRulesFix(survey, kind)};
    }
    if (anyOnBus(survey, kind, [](const UsbCamera& camera) { return camera.access == NodeAccess::Missing; })) {
        return {"its device node does not exist", kMissingNodeFix};
    }
    if (anyOnBus(survey, kind, [](const UsbCamera& camera) { return isBelowUsb3(camera.speed); })) {
        return {"most likely its USB 2 link keeps it from working", "plug it into a USB 3 port"};
    }
    return {"most likely another process holds it",
            "end the program that uses the camera (another kestrum-capture or kestrum-photo, a viewer), "
            "or replug the camera"};
}
