// The pipeline, which streams from one device, and the config that says what it streams.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

OB_EXPORT ob_config* ob_create_config(ob_error** error);
OB_EXPORT void ob_delete_config(ob_config* config, ob_error** error);
OB_EXPORT void ob_config_enable_stream_with_stream_profile(ob_config* config, const ob_stream_profile* profile, ob_error** error);
OB_EXPORT void ob_config_set_align_mode(ob_config* config, ob_align_mode mode, ob_error** error);
OB_EXPORT void ob_config_set_frame_aggregate_output_mode(ob_config* config, ob_frame_aggregate_output_mode mode, ob_error** error);

OB_EXPORT ob_pipeline* ob_create_pipeline_with_device(const ob_device* device, ob_error** error);
OB_EXPORT void ob_delete_pipeline(ob_pipeline* pipeline, ob_error** error);
OB_EXPORT ob_stream_profile_list* ob_pipeline_get_stream_profile_list(const ob_pipeline* pipeline, ob_sensor_type sensor_type,
                                                                      ob_error** error);
OB_EXPORT void ob_pipeline_enable_frame_sync(ob_pipeline* pipeline, ob_error** error);
OB_EXPORT void ob_pipeline_disable_frame_sync(ob_pipeline* pipeline, ob_error** error);
OB_EXPORT void ob_pipeline_start_with_config(ob_pipeline* pipeline, const ob_config* config, ob_error** error);
OB_EXPORT void ob_pipeline_stop(ob_pipeline* pipeline, ob_error** error);
// The next frameset, or NULL when none came within timeout_ms.
OB_EXPORT ob_frame* ob_pipeline_wait_for_frameset(ob_pipeline* pipeline, uint32_t timeout_ms, ob_error** error);

#ifdef __cplusplus
}
#endif
