// ob::Error: an SDK failure as a C++ exception that owns the SDK's error record.
#pragma once

#include "Types.hpp"
#include "libobsensor/h/Error.h"

#include <exception>

namespace ob {

class Error : public std::exception {
public:
    // Throws when the call filled *error; with throwException false it only frees the record.
    static void handle(ob_error** error, bool throwException = true) {
        if(error == nullptr || *error == nullptr) {
            return;
        }
        if(throwException) {
            ob_error* owned = *error;
            *error          = nullptr;
            throw Error(owned);
        }
        ob_delete_error(error);
    }

    // Copies own a record of their own, so that no copy frees another's.
    Error(const Error& other) noexcept : impl_(cloneRecord(other.impl_)) {}
    Error& operator=(const Error& other) noexcept {
        if(this != &other) {
            ob_error* copy = cloneRecord(other.impl_);
            ob_delete_error(&impl_);
            impl_ = copy;
        }
        return *this;
    }
    ~Error() override {
        ob_delete_error(&impl_);
    }

    const char* what() const noexcept override {
        return impl_ ? impl_->message : "";
    }
    OBExceptionType getExceptionType() const noexcept {
        return impl_ ? impl_->exception_type : OB_EXCEPTION_TYPE_UNKNOWN;
    }
    const char* getFunction() const noexcept {
        return impl_ ? impl_->function : "";
    }
    const char* getArgs() const noexcept {
        return impl_ ? impl_->args : "";
    }
    const char* getMessage() const noexcept {
        return what();
    }

private:
    explicit Error(ob_error* impl) noexcept : impl_(impl) {}

    static ob_error* cloneRecord(const ob_error* record) noexcept {
        return record ? ob_create_error(record->status, record->message, record->function, record->args, record->exception_type) : nullptr;
    }

    ob_error* impl_ = nullptr;
};

}  // namespace ob
