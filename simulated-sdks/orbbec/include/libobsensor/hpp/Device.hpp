// ob::DeviceInfo, ob::Device and ob::DeviceList. Each wrapper owns its SDK object.
#pragma once

#include "Error.hpp"
#include "Types.hpp"
#include "libobsensor/h/Device.h"

#include <memory>
#include <utility>

namespace ob {

// The device's four texts; they stay valid as long as this object.
class DeviceInfo {
public:
    explicit DeviceInfo(ob_device_info_t* handle) : handle_(handle) {}
    ~DeviceInfo() noexcept { detail::release(ob_delete_device_info, handle_); }
    DeviceInfo(const DeviceInfo&) = delete;
    DeviceInfo& operator=(const DeviceInfo&) = delete;

    const char* getName() const { return detail::call(ob_device_info_get_name, handle_); }
    const char* getSerialNumber() const { return detail::call(ob_device_info_get_serial_number, handle_); }
    const char* getFirmwareVersion() const { return detail::call(ob_device_info_get_firmware_version, handle_); }
    const char* getConnectionType() const { return detail::call(ob_device_info_get_connection_type, handle_); }

private:
    ob_device_info_t* handle_ = nullptr;
};

class Device {
public:
    explicit Device(ob_device_t* handle) : handle_(handle) {}
    // A moved-from device holds no handle.
    Device(Device&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Device& operator=(Device&& other) noexcept {
        if (this == &other) return *this;
        release();
        handle_ = std::exchange(other.handle_, nullptr);
        return *this;
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    virtual ~Device() noexcept { release(); }

    ob_device_t* getImpl() const { return handle_; }
    std::shared_ptr<DeviceInfo> getDeviceInfo() const {
        return std::make_shared<DeviceInfo>(detail::call(ob_device_get_device_info, handle_));
    }
    bool isGlobalTimestampSupported() const { return detail::call(ob_device_is_global_timestamp_supported, handle_); }
    void enableGlobalTimestamp(bool enable) { detail::call(ob_device_enable_global_timestamp, handle_, enable); }

private:
    void release() noexcept { detail::release(ob_delete_device, handle_); }

    ob_device_t* handle_ = nullptr;
};

class DeviceList {
public:
    explicit DeviceList(ob_device_list_t* handle) : handle_(handle) {}
    ~DeviceList() noexcept { detail::release(ob_delete_device_list, handle_); }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    uint32_t getCount() const { return detail::call(ob_device_list_get_count, handle_); }
    // Opens the device at that position of the list.
    std::shared_ptr<Device> getDevice(uint32_t index, OBDeviceAccessMode accessMode = OB_DEVICE_DEFAULT_ACCESS) const {
        return std::make_shared<Device>(detail::call(ob_device_list_get_device_ex, handle_, index, accessMode));
    }

private:
    ob_device_list_t* handle_ = nullptr;
};

}  // namespace ob
