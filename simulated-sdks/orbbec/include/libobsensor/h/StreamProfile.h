// Stream profiles (resolution, format, frame rate, intrinsics) and their lists.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#include "ObTypes.h"

OB_EXPORT void ob_delete_stream_profile(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_format ob_stream_profile_get_format(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_stream_type ob_stream_profile_get_type(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT uint32_t ob_video_stream_profile_get_fps(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT uint32_t ob_video_stream_profile_get_width(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT uint32_t ob_video_stream_profile_get_height(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_camera_intrinsic ob_video_stream_profile_get_intrinsic(const ob_stream_profile* profile, ob_error** error);

OB_EXPORT uint32_t ob_stream_profile_list_get_count(const ob_stream_profile_list* profile_list, ob_error** error);
OB_EXPORT ob_stream_profile* ob_stream_profile_list_get_profile(const ob_stream_profile_list* profile_list, int index, ob_error** error);
// The first profile that matches; OB_WIDTH_ANY, OB_HEIGHT_ANY, OB_FORMAT_ANY and OB_FPS_ANY match anything.
// When none matches, the stand-in returns NULL without an error (the real SDK reports an error).
OB_EXPORT ob_stream_profile* ob_stream_profile_list_get_video_stream_profile(const ob_stream_profile_list* profile_list, int width, int height,
                                                                             ob_format format, int fps, ob_error** error);
OB_EXPORT void ob_delete_stream_profile_list(const ob_stream_profile_list* profile_list, ob_error** error);

#ifdef __cplusplus
}
#endif
