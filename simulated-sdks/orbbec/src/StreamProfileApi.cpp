// Stream profiles, their calibration and their lists.
#include "ApiCall.h"
#include "Handles.h"
#include "libobsensor/h/StreamProfile.h"

#include <optional>
#include <string>

using namespace kestrum_sim::orbbec;

namespace {

VideoProfile& profileOf(const ob_stream_profile* profile) { return require(profile, "stream profile")->node->values; }

ob_stream_profile* newProfileHandle(const VideoProfile& profile) {
    auto* handle = new ob_stream_profile;
    handle->node = std::make_shared<ProfileNode>(profile);
    return handle;
}

// The SDK's texts for calibration a profile does not have.
template <typename Value> const Value& known(const std::optional<Value>& value, const char* what) {
    if (!value) throw SdkFailure(std::string(what) + " for the input stream profile is not found.", OB_EXCEPTION_TYPE_INVALID_VALUE);
    return *value;
}

bool matches(const VideoProfile& profile, int width, int height, ob_format format, int fps) {
    return (width == OB_WIDTH_ANY || static_cast<uint32_t>(width) == profile.width) &&
           (height == OB_HEIGHT_ANY || static_cast<uint32_t>(height) == profile.height) &&
           (format == OB_FORMAT_ANY || format == profile.format) && (fps == OB_FPS_ANY || static_cast<uint32_t>(fps) == profile.fps);
}

}  // namespace

ob_stream_profile* ob_create_video_stream_profile(ob_stream_type type, ob_format format, uint32_t width, uint32_t height, uint32_t fps,
                                                  ob_error** error) {
    return apiCall("ob_create_video_stream_profile", error, static_cast<ob_stream_profile*>(nullptr),
                   [&] { return newProfileHandle({type, format, width, height, fps, std::nullopt, std::nullopt}); });
}

void ob_delete_stream_profile(const ob_stream_profile* profile, ob_error** error) {
    apiCall("ob_delete_stream_profile", error, [&] { delete profile; });
}

ob_format ob_stream_profile_get_format(const ob_stream_profile* profile, ob_error** error) {
    return apiCall("ob_stream_profile_get_format", error, OB_FORMAT_UNKNOWN, [&] { return profileOf(profile).format; });
}

ob_stream_type ob_stream_profile_get_type(const ob_stream_profile* profile, ob_error** error) {
    return apiCall("ob_stream_profile_get_type", error, OB_STREAM_UNKNOWN, [&] { return profileOf(profile).type; });
}

uint32_t ob_video_stream_profile_get_fps(const ob_stream_profile* profile, ob_error** error) {
    return apiCall("ob_video_stream_profile_get_fps", error, 0u, [&] { return profileOf(profile).fps; });
}

uint32_t ob_video_stream_profile_get_width(const ob_stream_profile* profile, ob_error** error) {
    return apiCall("ob_video_stream_profile_get_width", error, 0u, [&] { return profileOf(profile).width; });
}

uint32_t ob_video_stream_profile_get_height(const ob_stream_profile* profile, ob_error** error) {
    return apiCall("ob_video_stream_profile_get_height", error, 0u, [&] { return profileOf(profile).height; });
}

ob_camera_intrinsic ob_video_stream_profile_get_intrinsic(const ob_stream_profile* profile, ob_error** error) {
    return apiCall("ob_video_stream_profile_get_intrinsic", error, ob_camera_intrinsic{},
                   [&] { return known(profileOf(profile).intrinsic, "Intrinsics"); });
}

ob_camera_distortion ob_video_stream_profile_get_distortion(const ob_stream_profile* profile, ob_error** error) {
    return apiCall("ob_video_stream_profile_get_distortion", error, ob_camera_distortion{},
                   [&] { return known(profileOf(profile).distortion, "Distortion"); });
}

void ob_video_stream_profile_set_intrinsic(ob_stream_profile* profile, ob_camera_intrinsic intrinsic, ob_error** error) {
    apiCall("ob_video_stream_profile_set_intrinsic", error, [&] { profileOf(profile).intrinsic = intrinsic; });
}

void ob_video_stream_profile_set_distortion(ob_stream_profile* profile, ob_camera_distortion distortion, ob_error** error) {
    apiCall("ob_video_stream_profile_set_distortion", error, [&] { profileOf(profile).distortion = distortion; });
}

void ob_stream_profile_set_extrinsic_to(ob_stream_profile* source, const ob_stream_profile* target, ob_extrinsic extrinsic,
                                        ob_error** error) {
    apiCall("ob_stream_profile_set_extrinsic_to", error, [&] {
        bindExtrinsic(*require(source, "source stream profile")->node, require(target, "target stream profile")->node, extrinsic);
    });
}

uint32_t ob_stream_profile_list_get_count(const ob_stream_profile_list* profile_list, ob_error** error) {
    return apiCall("ob_stream_profile_list_get_count", error, 0u, [&] {
        return static_cast<uint32_t>(require(profile_list, "stream profile list")->profiles.size());
    });
}

ob_stream_profile* ob_stream_profile_list_get_profile(const ob_stream_profile_list* profile_list, int index, ob_error** error) {
    return apiCall("ob_stream_profile_list_get_profile", error, static_cast<ob_stream_profile*>(nullptr), [&] {
        const auto& profiles = require(profile_list, "stream profile list")->profiles;
        if (index < 0 || static_cast<size_t>(index) >= profiles.size()) {
            throw SdkFailure("stream profile index out of range", OB_EXCEPTION_TYPE_INVALID_VALUE);
        }
        return newProfileHandle(profiles[static_cast<size_t>(index)]);
    });
}

ob_stream_profile* ob_stream_profile_list_get_video_stream_profile(const ob_stream_profile_list* profile_list, int width, int height,
                                                                   ob_format format, int fps, ob_error** error) {
    return apiCall("ob_stream_profile_list_get_video_stream_profile", error, static_cast<ob_stream_profile*>(nullptr),
                   [&]() -> ob_stream_profile* {
                       for (const VideoProfile& profile : require(profile_list, "stream profile list")->profiles) {
                           if (matches(profile, width, height, format, fps)) return newProfileHandle(profile);
                       }
                       return nullptr;
                   });
}

void ob_delete_stream_profile_list(const ob_stream_profile_list* profile_list, ob_error** error) {
    apiCall("ob_delete_stream_profile_list", error, [&] { delete profile_list; });
}
