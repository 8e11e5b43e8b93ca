// ob::Context: the entry point that enumerates devices; also the logger settings.
#pragma once

#include "Device.hpp"
#include "Error.hpp"
#include "Types.hpp"
#include "libobsensor/h/Context.h"

#include <functional>
#include <memory>

namespace ob {

class Context {
public:
    typedef std::function<void(OBLogSeverity severity, const char* logMsg)> LogCallback;

    explicit Context(const char* configPath = "") {
        ob_error* error = nullptr;
        impl_           = ob_create_context_with_config(configPath, &error);
        Error::handle(&error);
    }
    ~Context() noexcept {
        ob_error* error = nullptr;
        ob_delete_context(impl_, &error);
        Error::handle(&error, false);
    }
    Context(const Context&)            = delete;
    Context& operator=(const Context&) = delete;

    std::shared_ptr<DeviceList> queryDeviceList() const {
        ob_error* error = nullptr;
        auto      list  = ob_query_device_list(impl_, &error);
        Error::handle(&error);
        return std::make_shared<DeviceList>(list);
    }

    static void setLoggerSeverity(OBLogSeverity severity) {
        ob_error* error = nullptr;
        ob_set_logger_severity(severity, &error);
        Error::handle(&error);
    }
    static void setLoggerToConsole(OBLogSeverity severity) {
        ob_error* error = nullptr;
        ob_set_logger_to_console(severity, &error);
        Error::handle(&error);
    }
    // The callback stays installed for the rest of the process; a later call replaces it.
    static void setLoggerToCallback(OBLogSeverity severity, LogCallback callback) {
        installedLogCallback() = std::move(callback);
        ob_error* error        = nullptr;
        ob_set_logger_to_callback(severity, &Context::forwardLogMessage, &installedLogCallback(), &error);
        Error::handle(&error);
    }

private:
    static LogCallback& installedLogCallback() {
        static LogCallback callback;
        return callback;
    }
    static void forwardLogMessage(OBLogSeverity severity, const char* message, void* userData) {
        auto* callback = static_cast<LogCallback*>(userData);
        if(callback && *callback) {
            (*callback)(severity, message);
        }
    }

    ob_context* impl_ = nullptr;
};

}  // namespace ob
