// Error records: created by the SDK when a call fails, freed by the caller.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#include "ObTypes.h"

OB_EXPORT ob_error* ob_create_error(ob_status status, const char* message, const char* function, const char* args,
                                    ob_exception_type exception_type);
OB_EXPORT ob_status ob_error_get_status(const ob_error* error);
OB_EXPORT const char* ob_error_get_message(const ob_error* error);
OB_EXPORT const char* ob_error_get_function(const ob_error* error);
OB_EXPORT const char* ob_error_get_args(const ob_error* error);
OB_EXPORT ob_exception_type ob_error_get_exception_type(const ob_error* error);
OB_EXPORT void ob_delete_error(ob_error** error);

#ifdef __cplusplus
}
#endif
