// Stream profiles (format, size, frame rate, intrinsics) and the lists of them.
#pragma once

#include "ObTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

// A profile of no device, for frames made by the caller; its intrinsics and distortion are unknown until set.
OB_EXPORT ob_stream_profile* ob_create_video_stream_profile(ob_stream_type type, ob_format format, uint32_t width, uint32_t height,
                                                            uint32_t fps, ob_error** error);
OB_EXPORT void ob_delete_stream_profile(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_stream_type ob_stream_profile_get_type(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_format ob_stream_profile_get_format(const ob_stream_profile* profile, ob_error** error);

OB_EXPORT uint32_t ob_video_stream_profile_get_width(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT uint32_t ob_video_stream_profile_get_height(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT uint32_t ob_video_stream_profile_get_fps(const ob_stream_profile* profile, ob_error** error);
// Both fail while the profile has none.
OB_EXPORT ob_camera_intrinsic ob_video_stream_profile_get_intrinsic(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT ob_camera_distortion ob_video_stream_profile_get_distortion(const ob_stream_profile* profile, ob_error** error);
OB_EXPORT void ob_video_stream_profile_set_intrinsic(ob_stream_profile* profile, ob_camera_intrinsic intrinsic, ob_error** error);
OB_EXPORT void ob_video_stream_profile_set_distortion(ob_stream_profile* profile, ob_camera_distortion distortion, ob_error** error);
// Points in the source's coordinates map into the target's with extrinsic; the reverse binding follows from it.
OB_EXPORT void ob_stream_profile_set_extrinsic_to(ob_stream_profile* source, const ob_stream_profile* target, ob_extrinsic extrinsic,
                                                  ob_error** error);

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
