// How the doctor names a camera on the USB bus, and what keeps an SDK from one it shows.
#include "CameraOnBus.h"

#include <algorithm>
#include <cstdlib>

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

std::string udevRulesFix(UsbCameraKind kind)
{
    if (kind == UsbCameraKind::Orbbec) {
        return "install the Orbbec SDK's udev rules: sudo cp OrbbecSDK_v2-2.9.3/scripts/env_setup/99-obsensor-libusb.rules "
               "/etc/udev/rules.d/, then replug the camera";
    }
    return "install libfreenect2's udev rules: sudo cp libfreenect2-0.2.0/platform/linux/udev/90-kinect2.rules "
           "/etc/udev/rules.d/, then replug the camera";
}

bool isOnBus(const UsbSurvey& survey, UsbCameraKind kind)
{
    return std::any_of(survey.cameras.begin(), survey.cameras.end(),
                       [kind](const UsbCamera& camera) { return camera.kind == kind; });
}

LikelyCause likelyCause(const UsbSurvey& survey, UsbCameraKind kind)
{
    if (!isOnBus(survey, kind)) {
        return {};
    }
    const bool closedNode = std::any_of(survey.cameras.begin(), survey.cameras.end(), [kind](const UsbCamera& camera) {
        return camera.kind == kind && camera.access != NodeAccess::ReadWrite;
    });
    if (closedNode) {
        return {"this user may not open its device node", udevRulesFix(kind)};
    }
    const bool slowLink = std::any_of(survey.cameras.begin(), survey.cameras.end(), [kind](const UsbCamera& camera) {
        return camera.kind == kind && isBelowUsb3(camera.speed);
    });
    if (slowLink) {
        return {"most likely its USB 2 link keeps it from working", "plug it into a USB 3 port"};
    }
    return {"most likely another process holds it",
            "end the program that uses the camera (another kestrum-capture or kestrum-photo, a viewer), "
            "or replug the camera"};
}
