// ob_error records: their creation on a failure, their accessors and their release.
#include "ApiCall.h"
#include "SdkLogger.h"
#include "libobsensor/h/Error.h"

#include <cstring>

namespace kestrum_sim::orbbec {
namespace {

void copyText(char (&field)[256], const char* text) {
    std::strncpy(field, text ? text : "", sizeof field - 1);
    field[sizeof field - 1] = '\0';
}

}  // namespace

ob_error* newErrorRecord(ob_status status, const char* message, const char* function, const char* args,
                         ob_exception_type type) {
    auto* record = new ob_error{};
    record->status = status;
    copyText(record->message, message);
    copyText(record->function, function);
    copyText(record->args, args);
    record->exception_type = type;
    noteCreated(OrbbecObjectKind::Error);
    return record;
}

void reportFailure(const char* function, const char* message, ob_exception_type type, ob_status status,
                   ob_error** error) {
    logError(function, message);
    if (error) *error = newErrorRecord(status, message, function, "", type);
}

}  // namespace kestrum_sim::orbbec

using namespace kestrum_sim::orbbec;

ob_error* ob_create_error(ob_status status, const char* message, const char* function, const char* args,
                          ob_exception_type exception_type) {
    return newErrorRecord(status, message, function, args, exception_type);
}

ob_status ob_error_get_status(const ob_error* error) { return error ? error->status : OB_STATUS_OK; }

const char* ob_error_get_message(const ob_error* error) { return error ? error->message : ""; }

const char* ob_error_get_function(const ob_error* error) { return error ? error->function : ""; }

const char* ob_error_get_args(const ob_error* error) { return error ? error->args : ""; }

ob_exception_type ob_error_get_exception_type(const ob_error* error) {
    return error ? error->exception_type : OB_EXCEPTION_TYPE_UNKNOWN;
}

void ob_delete_error(ob_error** error) {
    if (error == nullptr || *error == nullptr) return;
    delete *error;
    *error = nullptr;
    noteReleased(kestrum_sim::OrbbecObjectKind::Error);
}
