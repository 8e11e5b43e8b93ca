// The frame of every simulated C function: record the call, and turn a failure
// into a filled ob_error record plus an error log line, as the real SDK does.
#pragma once

#include "ObjectRegistry.h"
#include "libobsensor/h/ObTypes.h"

#include <exception>
#include <stdexcept>
#include <string>

namespace kestrum_sim::orbbec {

class SdkFailure : public std::runtime_error {
public:
    explicit SdkFailure(const std::string& message, ob_exception_type type = OB_EXCEPTION_TYPE_UNKNOWN,
                        ob_status status = OB_STATUS_ERROR)
        : std::runtime_error(message), type_(type), status_(status) {}
    ob_exception_type type() const { return type_; }
    ob_status status() const { return status_; }

private:
    ob_exception_type type_;
    ob_status status_;
};

ob_error* newErrorRecord(ob_status status, const char* message, const char* function, const char* args,
                         ob_exception_type type);
void reportFailure(const char* function, const char* message, ob_exception_type type, ob_status status,
                   ob_error** error);

template <typename Handle> Handle* require(Handle* handle, const char* what) {
    if (handle == nullptr) throw SdkFailure(std::string("invalid null pointer: ") + what, OB_EXCEPTION_TYPE_INVALID_VALUE);
    return handle;
}

template <typename Result, typename Body>
Result apiCall(const char* function, ob_error** error, Result failureResult, Body&& body) {
    recordCall(function);
    try {
        return body();
    } catch (const SdkFailure& failure) {
        reportFailure(function, failure.what(), failure.type(), failure.status(), error);
    } catch (const std::exception& failure) {
        reportFailure(function, failure.what(), OB_EXCEPTION_STD_EXCEPTION, OB_STATUS_ERROR, error);
    }
    return failureResult;
}

template <typename Body> void apiCall(const char* function, ob_error** error, Body&& body) {
    apiCall(function, error, 0, [&] {
        body();
        return 0;
    });
}

}  // namespace kestrum_sim::orbbec
