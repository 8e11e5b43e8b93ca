// Processing filters. The stand-in knows one, "Align", with the value "AlignType".
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

OB_EXPORT ob_filter* ob_create_filter(const char* name, ob_error** error);
OB_EXPORT void ob_delete_filter(ob_filter* filter, ob_error** error);
OB_EXPORT const char* ob_filter_get_name(const ob_filter* filter, ob_error** error);

// The description of the filter's values, as a list that the caller frees.
OB_EXPORT ob_filter_config_schema_list* ob_filter_get_config_schema_list(const ob_filter* filter, ob_error** error);
OB_EXPORT uint32_t ob_filter_config_schema_list_get_count(const ob_filter_config_schema_list* list, ob_error** error);
OB_EXPORT ob_filter_config_schema_item ob_filter_config_schema_list_get_item(const ob_filter_config_schema_list* list, uint32_t index,
                                                                             ob_error** error);
OB_EXPORT void ob_delete_filter_config_schema_list(ob_filter_config_schema_list* list, ob_error** error);

OB_EXPORT double ob_filter_get_config_value(const ob_filter* filter, const char* config_name, ob_error** error);
OB_EXPORT void ob_filter_set_config_value(ob_filter* filter, const char* config_name, double value, ob_error** error);

// A new frame (for "Align" a frameset), or NULL when the filter made none.
OB_EXPORT ob_frame* ob_filter_process(ob_filter* filter, const ob_frame* frame, ob_error** error);

#ifdef __cplusplus
}
#endif
