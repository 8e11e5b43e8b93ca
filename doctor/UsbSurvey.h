// The cameras on the USB bus as sysfs shows them, whether this user may open their device nodes,
// and the udev rules installed for them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

enum class UsbCameraKind { Orbbec, KinectSensor, KinectHub };

enum class NodeAccess { ReadWrite, Denied, Missing, Unknown };

struct UsbCamera {
    UsbCameraKind kind = UsbCameraKind::Orbbec;
    std::string vendorId;    // four hex digits, as sysfs writes them
    std::string productId;
    std::string serial;      // empty where the device has none
    std::string speed;       // Mbit/s as sysfs writes it: "480" is USB 2, "5000" and up USB 3
    int bus = 0;
    int device = 0;
    std::string node;        // /dev/bus/usb/BBB/DDD, as named on a station; empty without its bus and device number
    NodeAccess access = NodeAccess::Unknown;   // Unknown without a node
};

struct UsbSurvey {
    std::vector<UsbCamera> cameras;   // by bus, then device number
    std::string unreadable;           // why the device list could not be read; empty when it was
    // What is there but could not be read, each with why: "FILE is not a regular file".
    std::vector<std::string> readFailures;
    // The rules file that gives each kind of camera to every user, as a station names it; empty when none is installed.
    std::string orbbecRules;
    std::string kinectRules;
};

inline constexpr const char* kUsbDevicesDir = "/sys/bus/usb/devices";

// The station package's udev rules for both cameras, and where a station built by hand has the
// SDKs' own rules copied to.
inline constexpr const char* kPackagedUdevRules = "/usr/lib/udev/rules.d/70-kestrum-cameras.rules";
inline constexpr const char* kCopiedUdevRulesDir = "/etc/udev/rules.d/";
inline constexpr const char* kOrbbecSdkUdevRules = "99-obsensor-libusb.rules";
inline constexpr const char* kKinectUdevRules = "90-kinect2.rules";

// Reads root/sys/bus/usb/devices/*/{idVendor,idProduct,speed,busnum,devnum,serial}, each only as a
// regular file of at most a page and without blocking, judges read and write access to
// root/dev/bus/usb/BBB/DDD for the effective user, and looks for the cameras' udev rules under root.
UsbSurvey surveyUsb(const std::filesystem::path& root);
