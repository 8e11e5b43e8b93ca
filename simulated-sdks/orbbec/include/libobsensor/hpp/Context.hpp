// ob::Context: enumerates the devices, and sets where the SDK's log goes.
#pragma once

#include "Device.hpp"
#include "Error.hpp"
#include "Types.hpp"
#include "libobsensor/h/Context.h"

#include <functional>
#include <memory>
#include <utility>

namespace ob {

class Context {
public:
    using LogCallback = std::function<void(OBLogSeverity severity, const char* logMsg)>;

    explicit Context(const char* configPath = "") : handle_(detail::call(ob_create_context_with_config, configPath)) {}
    ~Context() noexcept { detail::release(ob_delete_context, handle_); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    std::shared_ptr<DeviceList> queryDeviceList() const {
        return std::make_shared<DeviceList>(detail::call(ob_query_device_list, handle_));
    }

    static void setLoggerSeverity(OBLogSeverity severity) { detail::call(ob_set_logger_severity, severity); }
    static void setLoggerToConsole(OBLogSeverity severity) { detail::call(ob_set_logger_to_console, severity); }
    static void setLoggerToFile(OBLogSeverity severity, const char* directory) {
        detail::call(ob_set_logger_to_file, severity, directory);
    }
    // The SDK keeps only a plain function and a pointer, so the callback lives in a
    // process-wide slot; a later call replaces it, an empty one silences the sink.
    static void setLoggerToCallback(OBLogSeverity severity, LogCallback callback) {
        LogCallback& slot = logCallbackSlot();
        slot = std::move(callback);
        detail::call(ob_set_logger_to_callback, severity, &Context::deliverLogMessage, static_cast<void*>(&slot));
    }

private:
    static LogCallback& logCallbackSlot() {
        static LogCallback slot;
        return slot;
    }
    static void deliverLogMessage(OBLogSeverity severity, const char* message, void* slot) {
        const auto* callback = static_cast<const LogCallback*>(slot);
        if (callback && *callback) (*callback)(severity, message);
    }

    ob_context* handle_ = nullptr;
};

}  // namespace ob
