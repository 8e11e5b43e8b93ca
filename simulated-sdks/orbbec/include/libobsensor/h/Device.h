// Devices, their information texts and the enumerated device list.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#include "ObTypes.h"

OB_EXPORT void ob_delete_device(ob_device* device, ob_error** error);
OB_EXPORT ob_device_info* ob_device_get_device_info(const ob_device* device, ob_error** error);

OB_EXPORT void ob_delete_device_info(ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_name(const ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_serial_number(const ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_firmware_version(const ob_device_info* info, ob_error** error);
OB_EXPORT const char* ob_device_info_get_connection_type(const ob_device_info* info, ob_error** error);

OB_EXPORT void ob_delete_device_list(ob_device_list* list, ob_error** error);
OB_EXPORT uint32_t ob_device_list_get_count(const ob_device_list* list, ob_error** error);
OB_EXPORT ob_device* ob_device_list_get_device(const ob_device_list* list, uint32_t index, ob_error** error);
OB_EXPORT ob_device* ob_device_list_get_device_ex(const ob_device_list* list, uint32_t index, ob_device_access_mode access_mode,
                                                  ob_error** error);

#ifdef __cplusplus
}
#endif
