// Error records. A failing call creates one in its ob_error** out-parameter; the
// caller frees it with ob_delete_error.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

OB_EXPORT ob_error* ob_create_error(ob_status status, const char* message, const char* function, const char* args,
                                    ob_exception_type exception_type);
// The accessors answer a NULL record with OB_STATUS_OK, "" or OB_EXCEPTION_TYPE_UNKNOWN.
OB_EXPORT ob_status ob_error_get_status(const ob_error* error);
OB_EXPORT const char* ob_error_get_message(const ob_error* error);
OB_EXPORT const char* ob_error_get_function(const ob_error* error);
OB_EXPORT const char* ob_error_get_args(const ob_error* error);
OB_EXPORT ob_exception_type ob_error_get_exception_type(const ob_error* error);
// Frees *error, if any, and sets it to NULL.
OB_EXPORT void ob_delete_error(ob_error** error);

#ifdef __cplusplus
}
#endif
