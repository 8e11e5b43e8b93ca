// The enumerated device list, an opened device and its information texts.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

OB_EXPORT void ob_delete_device_list(ob_device_list* list, ob_error** error);
OB_EXPORT uint32_t ob_device_list_get_count(const ob_device_list* list, ob_error** error);
// Both open the device at index; the first with the default access mode.
OB_EXPORT ob_device* ob_device_list_get_device(const ob_device_list* list, uint32_t index, ob_error** error);
OB_EXPORT ob_device* ob_device_list_get_device_ex(const ob_device_list* list, uint32_t index, ob_device_access_mode access_mode,
                                                  ob_error** error);

OB_EXPORT void ob_delete_device(ob_device* device, ob_error** error);
OB_EXPORT ob_device_info* ob_device_get_device_info(const ob_device* device, ob_error** error);
// Whether the device can give its frames' capture moment on the host's clock, and switching that on.
OB_EXPORT bool ob_device_is_global_timestamp_supported(const ob_device* device, ob_error** error);
OB_EXPORT void ob_device_enable_global_timestamp(ob_device* device, bool enable, ob_error** error);

// The texts belong to the info object and live as long as it does.
OB_EXPORT void ob_delete_device_info(ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_name(const ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_serial_number(const ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_firmware_version(const ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_connection_type(const ob_device_info* info, ob_error** error);

#ifdef __cplusplus
}
#endif
