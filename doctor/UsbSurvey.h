// The cameras on the USB bus as sysfs shows them, and whether this user may open their device nodes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

enum class UsbCameraKind { Orbbec, KinectSensor, KinectHub };

enum class NodeAccess { ReadWrite, Denied, Missing };

struct UsbCamera {
    UsbCameraKind kind = UsbCameraKind::Orbbec;
    std::string vendorId;    // four hex digits, as sysfs writes them
    std::string productId;
    std::string serial;      // empty where the device has none
    std::string speed;       // Mbit/s as sysfs writes it: "480" is USB 2, "5000" and up USB 3
    int bus = 0;
    int device = 0;
    std::string node;        // /dev/bus/usb/BBB/DDD, as named on a station
    NodeAccess access = NodeAccess::Missing;
};

struct UsbSurvey {
    std::vector<UsbCamera> cameras;   // by bus, then device number
    std::string unreadable;           // why the device list could not be read; empty when it was
};

inline constexpr const char* kUsbDevicesDir = "/sys/bus/usb/devices";

// Reads root/sys/bus/usb/devices/*/{idVendor,idProduct,speed,busnum,devnum,serial} and
// judges read and write access to root/dev/bus/usb/BBB/DDD for the effective user.
UsbSurvey surveyUsb(const std::filesystem::path& root);
