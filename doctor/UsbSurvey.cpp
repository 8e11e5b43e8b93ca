// The cameras on the USB bus as sysfs shows them, access to their device nodes, and their udev rules.
#include "UsbSurvey.h"

#include "FileBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kOrbbecVendor = "2bc5";
constexpr const char* kMicrosoftVendor = "045e";

// sysfs gives every attribute file the size of a page; a larger file is none.
constexpr uintmax_t kMostAttributeBytes = 4096;

// One device's attributes; each one that is there but cannot be read is noted in the survey.
class DeviceAttributes {
public:
    DeviceAttributes(const fs::path& root, const std::string& device, UsbSurvey& survey)
        : folder_(root / std::string(kUsbDevicesDir).substr(1) / device),
          shown_(std::string(kUsbDevicesDir) + "/" + device), survey_(survey)
    {
    }

    // The first line of the attribute, or nothing when the device has none or it cannot be read.
    std::optional<std::string> operator()(const char* name) const
    {
        const FileBytes read = readRegularFile((folder_ / name).string(), [](uintmax_t size) {
            return size > kMostAttributeBytes ? std::optional<std::string>("has " + std::to_string(size) +
                                                                           " bytes, more than an attribute holds")
                                              : std::nullopt;
        });
        if (read.problem) {
            if (*read.problem != "is missing") {
                survey_.readFailures.push_back(shown_ + "/" + name + " " + *read.problem);
            }
            return std::nullopt;
        }
        std::string line(read.bytes.begin(), std::find(read.bytes.begin(), read.bytes.end(), '\n'));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        return line;
    }

private:
    fs::path folder_;
    std::string shown_;
    UsbSurvey& survey_;
};

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
    std::snprintf(name, sizeof name, "/dev/bus/usb/%03d/%03d", bus, device);
    return name;
}

// Judged for the effective user, as libusb's open would be, without opening the node.
NodeAccess nodeAccess(const fs::path& node)
{
    if (::faccessat(AT_FDCWD, node.c_str(), R_OK | W_OK, AT_EACCESS) == 0) {
        return NodeAccess::ReadWrite;
    }
    return errno == ENOENT ? NodeAccess::Missing : NodeAccess::Denied;
}

std::optional<UsbCamera> cameraAt(const fs::path& root, const std::string& device, UsbSurvey& survey)
{
    const DeviceAttributes attribute(root, device, survey);
    const std::optional<std::string> vendor = attribute("idVendor");
    const std::optional<std::string> product = attribute("idProduct");
    if (!vendor || !product) {
        return std::nullopt;  // an interface, not a device, or one that cannot be read
    }
    const std::optional<UsbCameraKind> kind = cameraKind(*vendor, *product);
    if (!kind) {
        return std::nullopt;
    }
    UsbCamera camera;
    camera.kind = *kind;
    camera.vendorId = *vendor;
    camera.productId = *product;
    camera.serial = attribute("serial").value_or("");
    camera.speed = attribute("speed").value_or("");
    const std::optional<std::string> bus = attribute("busnum");
    const std::optional<std::string> number = attribute("devnum");
    if (bus && number) {
        camera.bus = std::atoi(bus->c_str());
        camera.device = std::atoi(number->c_str());
        camera.node = nodeName(camera.bus, camera.device);
        camera.access = nodeAccess(root / camera.node.substr(1));
    }
    return camera;
}

// The rules file installed for a kind of camera: the package's, else the SDK's own copied by hand.
std::string installedRules(const fs::path& root, const char* copiedRules)
{
    for (const std::string& rules : {std::string(kPackagedUdevRules), kCopiedUdevRulesDir + std::string(copiedRules)}) {
        std::error_code error;
        if (fs::exists(root / rules.substr(1), error)) {
            return rules;
        }
    }
    return "";
}

} // namespace

UsbSurvey surveyUsb(const fs::path& root)
{
    UsbSurvey survey;
    survey.orbbecRules = installedRules(root, kOrbbecSdkUdevRules);
    survey.kinectRules = installedRules(root, kKinectUdevRules);
    std::error_code error;
    fs::directory_iterator devices(root / std::string(kUsbDevicesDir).substr(1), error);
    if (error) {
        survey.unreadable = error.message();
        return survey;
    }
    for (; devices != fs::directory_iterator(); devices.increment(error)) {
        if (std::optional<UsbCamera> camera = cameraAt(root, devices->path().filename().string(), survey)) {
            survey.cameras.push_back(*camera);
        }
    }
    if (error) {
        survey.readFailures.push_back(std::string(kUsbDevicesDir) + " cannot be read to its end: " + error.message());
    }
    std::sort(survey.readFailures.begin(), survey.readFailures.end());
    std::sort(survey.cameras.begin(), survey.cameras.end(), [](const UsbCamera& a, const UsbCamera& b) {
        return a.bus != b.bus ? a.bus < b.bus : a.device < b.device;
    });
    return survey;
}
