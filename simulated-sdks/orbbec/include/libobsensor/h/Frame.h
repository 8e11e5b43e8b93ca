// Frames and framesets, which count their references.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

OB_EXPORT void ob_frame_add_ref(const ob_frame* frame, ob_error** error);
// Drops one reference; the last one frees the frame.
OB_EXPORT void ob_delete_frame(const ob_frame* frame, ob_error** error);

OB_EXPORT ob_frame_type ob_frame_get_type(const ob_frame* frame, ob_error** error);
OB_EXPORT ob_format ob_frame_get_format(const ob_frame* frame, ob_error** error);
OB_EXPORT uint64_t ob_frame_get_index(const ob_frame* frame, ob_error** error);
OB_EXPORT uint8_t* ob_frame_get_data(const ob_frame* frame, ob_error** error);
OB_EXPORT uint32_t ob_frame_get_data_size(const ob_frame* frame, ob_error** error);

OB_EXPORT uint32_t ob_video_frame_get_width(const ob_frame* frame, ob_error** error);
OB_EXPORT uint32_t ob_video_frame_get_height(const ob_frame* frame, ob_error** error);
OB_EXPORT float ob_depth_frame_get_value_scale(const ob_frame* frame, ob_error** error);

OB_EXPORT uint32_t ob_frameset_get_count(const ob_frame* frameset, ob_error** error);
// A reference of the caller's own to the frame of that type, or NULL when the set has none.
OB_EXPORT ob_frame* ob_frameset_get_frame(const ob_frame* frameset, ob_frame_type frame_type, ob_error** error);

#ifdef __cplusplus
}
#endif
