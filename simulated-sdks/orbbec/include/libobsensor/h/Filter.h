// Processing filters, of which the stand-in offers "Align".
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#include "ObTypes.h"

OB_EXPORT ob_filter* ob_create_filter(const char* name, ob_error** error);
OB_EXPORT const char* ob_filter_get_name(const ob_filter* filter, ob_error** error);
OB_EXPORT void ob_delete_filter(ob_filter* filter, ob_error** error);
OB_EXPORT ob_filter_config_schema_list* ob_filter_get_config_schema_list(const ob_filter* filter, ob_error** error);
OB_EXPORT void ob_delete_filter_config_schema_list(ob_filter_config_schema_list* config_schema_list, ob_error** error);
OB_EXPORT uint32_t ob_filter_config_schema_list_get_count(const ob_filter_config_schema_list* config_schema_list, ob_error** error);
OB_EXPORT ob_filter_config_schema_item ob_filter_config_schema_list_get_item(const ob_filter_config_schema_list* config_schema_list,
                                                                             uint32_t index, ob_error** error);
OB_EXPORT double ob_filter_get_config_value(const ob_filter* filter, const char* config_name, ob_error** error);
OB_EXPORT void ob_filter_set_config_value(ob_filter* filter, const char* config_name, double value, ob_error** error);
// A new frame (a frameset for "Align"), or NULL when the filter produced nothing.
OB_EXPORT ob_frame* ob_filter_process(ob_filter* filter, const ob_frame* frame, ob_error** error);

#ifdef __cplusplus
}
#endif
