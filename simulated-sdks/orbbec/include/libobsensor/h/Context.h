// The context, from which the devices are enumerated, and the SDK's log settings,
// which hold for the whole process.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

OB_EXPORT ob_context* ob_create_context(ob_error** error);
// The stand-in has one built-in configuration and accepts only an empty or NULL path.
OB_EXPORT ob_context* ob_create_context_with_config(const char* config_file_path, ob_error** error);
OB_EXPORT void ob_delete_context(ob_context* context, ob_error** error);
OB_EXPORT ob_device_list* ob_query_device_list(ob_context* context, ob_error** error);

// Sets the level of every sink at once.
OB_EXPORT void ob_set_logger_severity(ob_log_severity severity, ob_error** error);
// The console sink writes to standard output; OB_LOG_SEVERITY_OFF mutes it.
OB_EXPORT void ob_set_logger_to_console(ob_log_severity severity, ob_error** error);
// The file sink, into directory (an empty one keeps the configured folder). The stand-in
// has no file sink: it accepts the call and writes no file.
OB_EXPORT void ob_set_logger_to_file(ob_log_severity severity, const char* directory, ob_error** error);
// Each message goes to callback together with user_data.
OB_EXPORT void ob_set_logger_to_callback(ob_log_severity severity, ob_log_callback callback, void* user_data, ob_error** error);

#ifdef __cplusplus
}
#endif
