// Stream profiles (format, size, frame rate, intrinsics) and the lists of them.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

OB_EXPORT void ob_delete_stream_profile(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_stream_type ob_stream_profile_get_type(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_format ob_stream_profile_get_format(const ob_stream_profile* profile, ob_error** error);

OB_EXPORT uint32_t ob_video_stream_profile_get_width(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT uint32_t ob_video_stream_profile_get_height(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT uint32_t ob_video_stream_profile_get_fps(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_camera_intrinsic ob_video_stream_profile_get_intrinsic(const ob_stream_profile* profile, ob_error** error);

OB_EXPORT void ob_delete_stream_profile_list(const ob_stream_profile_list* list, ob_error** error);
OB_EXPORT uint32_t ob_stream_profile_list_get_count(const ob_stream_profile_list* list, ob_error** error);
OB_EXPORT ob_stream_profile* ob_stream_profile_list_get_profile(const ob_stream_profile_list* list, int index, ob_error** error);
// The first profile that fits; OB_WIDTH_ANY, OB_HEIGHT_ANY, OB_FORMAT_ANY and OB_FPS_ANY fit anything.
// Where none fits, the stand-in returns NULL and no error; the real SDK reports an error.
OB_EXPORT ob_stream_profile* ob_stream_profile_list_get_video_stream_profile(const ob_stream_profile_list* list, int width, int height,
                                                                             ob_format format, int fps, ob_error** error);

#ifdef __cplusplus
}
#endif
