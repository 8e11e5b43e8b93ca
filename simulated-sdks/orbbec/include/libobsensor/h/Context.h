// The SDK context (device enumeration) and the process-wide logger settings.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#include "ObTypes.h"

OB_EXPORT ob_context* ob_create_context(ob_error** error);
// config_file_path "" or NULL: the default configuration.
OB_EXPORT ob_context* ob_create_context_with_config(const char* config_file_path, ob_error** error);
OB_EXPORT void ob_delete_context(ob_context* context, ob_error** error);
OB_EXPORT ob_device_list* ob_query_device_list(ob_context* context, ob_error** error);

// The global level: no sink passes a message below it.
OB_EXPORT void ob_set_logger_severity(ob_log_severity severity, ob_error** error);
// The console sink (standard output); OB_LOG_SEVERITY_OFF silences it.
OB_EXPORT void ob_set_logger_to_console(ob_log_severity severity, ob_error** error);
OB_EXPORT void ob_set_logger_to_callback(ob_log_severity severity, ob_log_callback callback, void* user_data, ob_error** error);

#ifdef __cplusplus
}
#endif
