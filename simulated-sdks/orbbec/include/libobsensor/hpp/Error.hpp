// ob::Error, the exception for a failed SDK call, and the two helpers through
// which every wrapper class below reaches the C interface.
#pragma once

#include "Types.hpp"
#include "libobsensor/h/Error.h"

#include <exception>
#include <type_traits>
#include <utility>

namespace ob {

// Holds the failed call's error record and frees it with ob_delete_error.
class Error : public std::exception {
public:
    // Throws when the call filled *error; with throwException false the record is only freed.
    static void handle(ob_error** error, bool throwException = true) {
        if (error == nullptr || *error == nullptr) return;
        ob_error* record = std::exchange(*error, nullptr);
        if (throwException) throw Error(record);
        ob_delete_error(&record);
    }

    // Every Error frees its own record, so a copy holds a clone.
    Error(const Error& other) noexcept : record_(clone(other.record_)) {}
    Error& operator=(const Error& other) noexcept {
        Error copy(other);
        std::swap(record_, copy.record_);
        return *this;
    }
    ~Error() override { ob_delete_error(&record_); }

    const char* what() const noexcept override { return ob_error_get_message(record_); }
    const char* getMessage() const noexcept { return what(); }
    OBExceptionType getExceptionType() const noexcept { return ob_error_get_exception_type(record_); }
    OBStatus getStatus() const noexcept { return ob_error_get_status(record_); }
    const char* getFunction() const noexcept { return ob_error_get_function(record_); }
    const char* getArgs() const noexcept { return ob_error_get_args(record_); }

private:
    explicit Error(ob_error* record) noexcept : record_(record) {}

    static ob_error* clone(const ob_error* record) noexcept {
        return ob_create_error(ob_error_get_status(record), ob_error_get_message(record), ob_error_get_function(record),
                               ob_error_get_args(record), ob_error_get_exception_type(record));
    }

    ob_error* record_ = nullptr;
};

namespace detail {

// function(args..., &error): the C call with an error slot of its own appended; a
// record the call leaves in the slot is thrown as ob::Error.
template <typename Result, typename... Params, typename... Args>
Result call(Result (*function)(Params...), Args&&... args) {
    ob_error* error = nullptr;
    if constexpr (std::is_void_v<Result>) {
        function(std::forward<Args>(args)..., &error);
        Error::handle(&error);
    } else {
        Result result = function(std::forward<Args>(args)..., &error);
        Error::handle(&error);
        return result;
    }
}

// For calls that answer "nothing" with a null result (no frame yet, none of that
// type): an error that comes without a result is not worth an exception.
template <typename Result, typename... Params, typename... Args>
Result* callOrNull(Result* (*function)(Params...), Args&&... args) {
    ob_error* error = nullptr;
    Result* result = function(std::forward<Args>(args)..., &error);
    Error::handle(&error, result != nullptr);
    return result;
}

// For the release functions called from destructors, which must not throw: a
// failure to release is dropped.
template <typename... Params, typename... Args>
void release(void (*function)(Params...), Args&&... args) noexcept {
    ob_error* error = nullptr;
    function(std::forward<Args>(args)..., &error);
    Error::handle(&error, false);
}

}  // namespace detail
}  // namespace ob
