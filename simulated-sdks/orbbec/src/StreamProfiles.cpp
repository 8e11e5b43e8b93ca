// A colour and a depth sensor with a few profiles each, including the ones kestrum asks for, and
// lenses without distortion.
#include "StreamProfiles.h"

#include "ReplayFrames.h"

namespace kestrum_sim::orbbec {
namespace {

VideoProfile colorProfile(ob_format format, uint32_t width, uint32_t height, uint32_t fps) {
    // A lens of about 70 degrees across, with a principal point slightly off centre.
    const float scaleX = static_cast<float>(width) / 1280.0f;
    const float scaleY = static_cast<float>(height) / 720.0f;
    const ob_camera_intrinsic intrinsic = {912.7f * scaleX, 912.4f * scaleY, 640.9f * scaleX, 361.3f * scaleY,
                                           static_cast<int16_t>(width), static_cast<int16_t>(height)};
    return {OB_STREAM_COLOR, format, width, height, fps, intrinsic, kNoDistortion};
}

VideoProfile depthProfile(uint32_t width, uint32_t height, uint32_t fps, float fx, float fy) {
    const ob_camera_intrinsic intrinsic = {fx, fy, width / 2.0f - 0.8f, height / 2.0f + 0.4f, static_cast<int16_t>(width),
                                           static_cast<int16_t>(height)};
    return {OB_STREAM_DEPTH, OB_FORMAT_Y16, width, height, fps, intrinsic, kNoDistortion};
}

}  // namespace

std::vector<VideoProfile> offeredProfiles(ob_sensor_type sensor, const CameraSettings& settings) {
    if (settings.replay) return replayProfiles(sensor, settings);
    std::vector<VideoProfile> profiles;
    if (sensor == OB_SENSOR_COLOR) {
        profiles.push_back(colorProfile(OB_FORMAT_BGR, 1920, 1080, 30));
        if (!settings.fails("color-profile")) profiles.push_back(colorProfile(OB_FORMAT_BGR, 1280, 720, 30));
        profiles.push_back(colorProfile(OB_FORMAT_RGB, 1280, 720, 30));
        profiles.push_back(colorProfile(OB_FORMAT_BGR, 1280, 720, 15));
        profiles.push_back(colorProfile(OB_FORMAT_BGR, 640, 360, 30));
    } else if (sensor == OB_SENSOR_DEPTH) {
        if (!settings.fails("depth-profile")) profiles.push_back(depthProfile(1280, 720, 30, 645.1f, 645.1f));
        profiles.push_back(depthProfile(1280, 720, 15, 645.1f, 645.1f));
        profiles.push_back(depthProfile(640, 360, 30, 322.6f, 322.6f));
    }
    return profiles;
}

// The cameras look the same way; only the offset separates them.
ob_extrinsic depthToColorExtrinsic() {
    return {{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}, {static_cast<float>(kDepthCameraOffsetMm), 0.0f, 0.0f}};
}

}  // namespace kestrum_sim::orbbec
