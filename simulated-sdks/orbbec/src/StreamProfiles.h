// The stream profiles the simulated camera offers, with their calibration.
#pragma once

#include "CameraSettings.h"
#include "libobsensor/h/ObTypes.h"

#include <optional>
#include <vector>

namespace kestrum_sim::orbbec {

// Intrinsics and distortion are unknown until calibrated or set.
struct VideoProfile {
    ob_stream_type type;
    ob_format format;
    uint32_t width;
    uint32_t height;
    uint32_t fps;
    std::optional<ob_camera_intrinsic> intrinsic;
    std::optional<ob_camera_distortion> distortion;
};

inline constexpr ob_camera_distortion kNoDistortion{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, OB_DISTORTION_NONE};

// The depth camera sits this far to the left of the colour camera.
constexpr double kDepthCameraOffsetMm = -25.0;

// The profiles of one sensor, less the one that a fail= setting withholds; empty for sensors the camera lacks.
std::vector<VideoProfile> offeredProfiles(ob_sensor_type sensor, const CameraSettings& settings);

// From the depth camera's coordinates to the colour camera's, as the camera's calibration has it.
ob_extrinsic depthToColorExtrinsic();

}  // namespace kestrum_sim::orbbec
