// The device list, the device and its information texts.
#include "ApiCall.h"
#include "Handles.h"
#include "libobsensor/h/Device.h"

using namespace kestrum_sim::orbbec;

void ob_delete_device_list(ob_device_list* list, ob_error** error) {
    apiCall("ob_delete_device_list", error, [&] { delete list; });
}

uint32_t ob_device_list_get_count(const ob_device_list* list, ob_error** error) {
    return apiCall("ob_device_list_get_count", error, 0u, [&] { return require(list, "device list")->count; });
}

ob_device* ob_device_list_get_device(const ob_device_list* list, uint32_t index, ob_error** error) {
    return ob_device_list_get_device_ex(list, index, OB_DEVICE_DEFAULT_ACCESS, error);
}

ob_device* ob_device_list_get_device_ex(const ob_device_list* list, uint32_t index, ob_device_access_mode, ob_error** error) {
    return apiCall("ob_device_list_get_device_ex", error, static_cast<ob_device*>(nullptr), [&] {
        require(list, "device list");
        if (index >= list->count) throw SdkFailure("device index out of range", OB_EXCEPTION_TYPE_INVALID_VALUE);
        if (list->camera->fails("open")) {
            throw SdkFailure("simulated failure: the device could not be opened (fail=open)", OB_EXCEPTION_TYPE_IO);
        }
        auto* device = new ob_device;
        device->camera = list->camera;
        return device;
    });
}

void ob_delete_device(ob_device* device, ob_error** error) {
    apiCall("ob_delete_device", error, [&] { delete device; });
}

ob_device_info* ob_device_get_device_info(const ob_device* device, ob_error** error) {
    return apiCall("ob_device_get_device_info", error, static_cast<ob_device_info*>(nullptr), [&] {
        const CameraSettings& camera = *require(device, "device")->camera;
        auto* info = new ob_device_info;
        info->name = camera.name;
        info->serialNumber = camera.serialNumber;
        info->firmwareVersion = camera.firmwareVersion;
        info->connectionType = camera.connectionType;
        return info;
    });
}

bool ob_device_is_global_timestamp_supported(const ob_device* device, ob_error** error) {
    return apiCall("ob_device_is_global_timestamp_supported", error, false,
                   [&] { return require(device, "device")->camera->globalTimestampSupported; });
}

void ob_device_enable_global_timestamp(ob_device* device, bool enable, ob_error** error) {
    apiCall("ob_device_enable_global_timestamp", error, [&] {
        ob_device_t& known = *require(device, "device");
        if (enable && !known.camera->globalTimestampSupported) {
            throw SdkFailure("the device does not support global timestamps", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        }
        known.globalTimestamp->store(enable);
    });
}

void ob_delete_device_info(ob_device_info* info, ob_error** error) {
    apiCall("ob_delete_device_info", error, [&] { delete info; });
}

const char* ob_device_info_get_name(const ob_device_info* info, ob_error** error) {
    return apiCall("ob_device_info_get_name", error, static_cast<const char*>(nullptr),
                   [&] { return require(info, "device info")->name.c_str(); });
}

const char* ob_device_info_get_serial_number(const ob_device_info* info, ob_error** error) {
    return apiCall("ob_device_info_get_serial_number", error, static_cast<const char*>(nullptr),
                   [&] { return require(info, "device info")->serialNumber.c_str(); });
}

const char* ob_device_info_get_firmware_version(const ob_device_info* info, ob_error** error) {
    return apiCall("ob_device_info_get_firmware_version", error, static_cast<const char*>(nullptr),
                   [&] { return require(info, "device info")->firmwareVersion.c_str(); });
}

const char* ob_device_info_get_connection_type(const ob_device_info* info, ob_error** error) {
    return apiCall("ob_device_info_get_connection_type", error, static_cast<const char*>(nullptr),
                   [&] { return require(info, "device info")->connectionType.c_str(); });
}
