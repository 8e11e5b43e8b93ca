// The context, which reads KESTRUM_SIM_ORBBEC when it is made, and the logger settings.
#include "ApiCall.h"
#include "Handles.h"
#include "SdkLogger.h"
#include "libobsensor/h/Context.h"

#include <string>

using namespace kestrum_sim::orbbec;

ob_context* ob_create_context(ob_error** error) { return ob_create_context_with_config(nullptr, error); }

ob_context* ob_create_context_with_config(const char* config_file_path, ob_error** error) {
    return apiCall("ob_create_context_with_config", error, static_cast<ob_context*>(nullptr), [&] {
        // The stand-in has one built-in configuration; pretending to read a file would mislead.
        if (config_file_path && *config_file_path) {
            throw SdkFailure(std::string("simulated SDK reads no configuration file: ") + config_file_path,
                             OB_EXCEPTION_TYPE_INVALID_VALUE);
        }
        auto* context = new ob_context;
        context->camera = std::make_shared<const CameraSettings>(cameraSettingsFromEnvironment());
        return context;
    });
}

void ob_delete_context(ob_context* context, ob_error** error) {
    apiCall("ob_delete_context", error, [&] { delete context; });
}

ob_device_list* ob_query_device_list(ob_context* context, ob_error** error) {
    return apiCall("ob_query_device_list", error, static_cast<ob_device_list*>(nullptr), [&] {
        require(context, "context");
        auto* list = new ob_device_list;
        list->camera = context->camera;
        list->count = context->camera->attached ? 1 : 0;
        return list;
    });
}

void ob_set_logger_severity(ob_log_severity severity, ob_error** error) {
    apiCall("ob_set_logger_severity", error, [&] { setGlobalLogSeverity(severity); });
}

void ob_set_logger_to_console(ob_log_severity severity, ob_error** error) {
    apiCall("ob_set_logger_to_console", error, [&] { setConsoleLogSeverity(severity); });
}

void ob_set_logger_to_file(ob_log_severity, const char*, ob_error** error) {
    apiCall("ob_set_logger_to_file", error, [] {});
}

void ob_set_logger_to_callback(ob_log_severity severity, ob_log_callback callback, void* user_data, ob_error** error) {
    apiCall("ob_set_logger_to_callback", error, [&] { setLogCallback(severity, callback, user_data); });
}
