// Frames and framesets, which count their references.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

// A frame of no device with zeroed pixels, rows packed (stride_bytes 0 or exactly the packed row).
OB_EXPORT ob_frame* ob_create_video_frame(ob_frame_type frame_type, ob_format format, uint32_t width, uint32_t height,
                                          uint32_t stride_bytes, ob_error** error);
OB_EXPORT ob_frame* ob_create_frameset(ob_error** error);

OB_EXPORT void ob_frame_add_ref(const ob_frame* frame, ob_error** error);
// Drops one reference; the last one frees the frame.
OB_EXPORT void ob_delete_frame(const ob_frame* frame, ob_error** error);

OB_EXPORT ob_frame_type ob_frame_get_type(const ob_frame* frame, ob_error** error);
OB_EXPORT ob_format ob_frame_get_format(const ob_frame* frame, ob_error** error);
OB_EXPORT uint64_t ob_frame_get_index(const ob_frame* frame, ob_error** error);
// The device's clock at capture, in microseconds.
OB_EXPORT uint64_t ob_frame_get_timestamp_us(const ob_frame* frame, ob_error** error);
OB_EXPORT void ob_frame_set_timestamp_us(ob_frame* frame, uint64_t timestamp_us, ob_error** error);
// The host's clock when the frame arrived, in microseconds.
OB_EXPORT uint64_t ob_frame_get_system_timestamp_us(const ob_frame* frame, ob_error** error);
OB_EXPORT void ob_frame_set_system_timestamp_us(ob_frame* frame, uint64_t system_timestamp_us, ob_error** error);
// The capture moment on the host's clock; 0 unless the device's global timestamp is enabled.
OB_EXPORT uint64_t ob_frame_get_global_timestamp_us(const ob_frame* frame, ob_error** error);
OB_EXPORT bool ob_frame_has_metadata(const ob_frame* frame, ob_frame_metadata_type type, ob_error** error);
// An error for a type the frame does not carry.
OB_EXPORT int64_t ob_frame_get_metadata_value(const ob_frame* frame, ob_frame_metadata_type type, ob_error** error);
OB_EXPORT uint8_t* ob_frame_get_data(const ob_frame* frame, ob_error** error);
OB_EXPORT uint32_t ob_frame_get_data_size(const ob_frame* frame, ob_error** error);

OB_EXPORT uint32_t ob_video_frame_get_width(const ob_frame* frame, ob_error** error);
OB_EXPORT uint32_t ob_video_frame_get_height(const ob_frame* frame, ob_error** error);
OB_EXPORT void ob_frame_set_stream_profile(ob_frame* frame, const ob_stream_profile* stream_profile, ob_error** error);
OB_EXPORT void ob_video_frame_set_pixel_available_bit_size(ob_frame* frame, uint8_t bit_size, ob_error** error);
OB_EXPORT float ob_depth_frame_get_value_scale(const ob_frame* frame, ob_error** error);
OB_EXPORT void ob_depth_frame_set_value_scale(ob_frame* frame, float value_scale, ob_error** error);

OB_EXPORT uint32_t ob_frameset_get_count(const ob_frame* frameset, ob_error** error);
// A reference of the caller's own to the frame of that type, or NULL when the set has none.
OB_EXPORT ob_frame* ob_frameset_get_frame(const ob_frame* frameset, ob_frame_type frame_type, ob_error** error);
// The set takes a reference of its own and replaces a frame of the same type.
OB_EXPORT void ob_frameset_push_frame(ob_frame* frameset, const ob_frame* frame, ob_error** error);

#ifdef __cplusplus
}
#endif
