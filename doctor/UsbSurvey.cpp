// The cameras on the USB bus as sysfs shows them, and access to their device nodes.
#include "UsbSurvey.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace {

constexpr const char* kOrbbecVendor = "2bc5";
constexpr const char* kMicrosoftVendor = "045e";

// The first line of a sysfs attribute, or nothing when the device has no such attribute.
std::optional<std::string> attribute(const std::filesystem::path& device, const char* name)
{
    std::ifstream file(device / name);
    std::string line;
    if (!file || !std::getline(file, line)) {
        return std::nullopt;
    }
    line.erase(line.find_last_not_of(" \t\r") + 1);
    return line;
}

std::optional<UsbCameraKind> cameraKind(const std::string& vendor, const std::string& product)
{
    if (vendor == kOrbbecVendor) {
        return UsbCameraKind::Orbbec;
    }
    if (vendor != kMicrosoftVendor) {
        return std::nullopt;
    }
    if (product == "02c4" || product == "02d8") {
        return UsbCameraKind::KinectSensor;
    }
    if (product == "02d9") {
        return UsbCameraKind::KinectHub;
    }
    return std::nullopt;
}

std::string nodeName(int bus, int device)
{
    char name[32];
    std::snprintf(name, sizeof name, "dev/bus/usb/%03d/%03d", bus, device);
    return name;
}

// Judged for the effective user, as libusb's open would be, without opening the node.
NodeAccess nodeAccess(const std::filesystem::path& node)
{
    if (::faccessat(AT_FDCWD, node.c_str(), R_OK | W_OK, AT_EACCESS) == 0) {
        return NodeAccess::ReadWrite;
    }
    return errno == ENOENT ? NodeAccess::Missing : NodeAccess::Denied;
}

} // namespace

UsbSurvey surveyUsb(const std::filesystem::path& root)
{
    UsbSurvey survey;
    std::error_code error;
    std::filesystem::directory_iterator devices(root / std::string(kUsbDevicesDir).substr(1), error);
    if (error) {
        survey.unreadable = error.message();
        return survey;
    }
    for (; devices != std::filesystem::directory_iterator(); devices.increment(error)) {
        const std::filesystem::path& device = devices->path();
        const std::optional<std::string> vendor = attribute(device, "idVendor");
        const std::optional<std::string> product = attribute(device, "idProduct");
        if (!vendor || !product) {
            continue;  // an interface, not a device
        }
        const std::optional<UsbCameraKind> kind = cameraKind(*vendor, *product);
        if (!kind) {
            continue;
        }
        UsbCamera camera;
        camera.kind = *kind;
        camera.vendorId = *vendor;
        camera.productId = *product;
        camera.serial = attribute(device, "serial").value_or("");
        camera.speed = attribute(device, "speed").value_or("");
        camera.bus = std::atoi(attribute(device, "busnum").value_or("0").c_str());
        camera.device = std::atoi(attribute(device, "devnum").value_or("0").c_str());
        const std::string node = nodeName(camera.bus, camera.device);
        camera.node = "/" + node;
        camera.access = nodeAccess(root / node);
        survey.cameras.push_back(camera);
    }
    std::sort(survey.cameras.begin(), survey.cameras.end(), [](const UsbCamera& a, const UsbCamera& b) {
        return a.bus != b.bus ? a.bus < b.bus : a.device < b.device;
    });
    return survey;
}
