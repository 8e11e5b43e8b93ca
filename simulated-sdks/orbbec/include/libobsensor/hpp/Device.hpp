// ob::Device, ob::DeviceInfo and ob::DeviceList.
#pragma once

#include "Error.hpp"
#include "Types.hpp"
#include "libobsensor/h/Device.h"

#include <memory>

namespace ob {

class DeviceInfo;

class Device {
public:
    explicit Device(ob_device_t* impl) : impl_(impl) {}
    Device(Device&& other) noexcept : impl_(other.impl_) {
        other.impl_ = nullptr;
    }
    Device& operator=(Device&& other) noexcept {
        if(this != &other) {
            release();
            impl_       = other.impl_;
            other.impl_ = nullptr;
        }
        return *this;
    }
    Device(const Device&)            = delete;
    Device& operator=(const Device&) = delete;
    virtual ~Device() noexcept {
        release();
    }

    ob_device_t* getImpl() const {
        return impl_;
    }
    std::shared_ptr<DeviceInfo> getDeviceInfo() const;

private:
    void release() noexcept {
        ob_error* error = nullptr;
        ob_delete_device(impl_, &error);
        Error::handle(&error, false);
    }

    ob_device_t* impl_ = nullptr;
};

class DeviceInfo {
public:
    explicit DeviceInfo(ob_device_info_t* impl) : impl_(impl) {}
    ~DeviceInfo() noexcept {
        ob_error* error = nullptr;
        ob_delete_device_info(impl_, &error);
        Error::handle(&error, false);
    }
    DeviceInfo(const DeviceInfo&)            = delete;
    DeviceInfo& operator=(const DeviceInfo&) = delete;

    const char* getName() const {
        return text(&ob_device_info_get_name);
    }
    const char* getSerialNumber() const {
        return text(&ob_device_info_get_serial_number);
    }
    const char* getFirmwareVersion() const {
        return text(&ob_device_info_get_firmware_version);
    }
    const char* getConnectionType() const {
        return text(&ob_device_info_get_connection_type);
    }

private:
    const char* text(const char* (*getter)(const ob_device_info*, ob_error**)) const {
        ob_error*   error = nullptr;
        const char* value = getter(impl_, &error);
        Error::handle(&error);
        return value;
    }

    ob_device_info_t* impl_ = nullptr;
};

inline std::shared_ptr<DeviceInfo> Device::getDeviceInfo() const {
    ob_error* error = nullptr;
    auto      info  = ob_device_get_device_info(impl_, &error);
    Error::handle(&error);
    return std::make_shared<DeviceInfo>(info);
}

class DeviceList {
public:
    explicit DeviceList(ob_device_list_t* impl) : impl_(impl) {}
    ~DeviceList() noexcept {
        ob_error* error = nullptr;
        ob_delete_device_list(impl_, &error);
        Error::handle(&error, false);
    }
    DeviceList(const DeviceList&)            = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    uint32_t getCount() const {
        ob_error* error = nullptr;
        auto      count = ob_device_list_get_count(impl_, &error);
        Error::handle(&error);
        return count;
    }
    // Opens the device at that position of the list.
    std::shared_ptr<Device> getDevice(uint32_t index, OBDeviceAccessMode accessMode = OB_DEVICE_DEFAULT_ACCESS) const {
        ob_error* error  = nullptr;
        auto      device = ob_device_list_get_device_ex(impl_, index, accessMode, &error);
        Error::handle(&error);
        return std::make_shared<Device>(device);
    }

private:
    ob_device_list_t* impl_ = nullptr;
};

}  // namespace ob
