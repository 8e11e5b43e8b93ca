// The stream profiles the simulated camera offers, with their intrinsics.
#pragma once

#include "CameraSettings.h"
#include "libobsensor/h/ObTypes.h"

#include <vector>

namespace kestrum_sim::orbbec {

struct VideoProfile {
    ob_stream_type type;
    ob_format format;
    uint32_t width;
    uint32_t height;
    uint32_t fps;
    ob_camera_intrinsic intrinsic;
};

// The depth camera sits this far to the left of the colour camera.
constexpr double kDepthCameraOffsetMm = -25.0;

// The profiles of one sensor, less the one that a fail= setting withholds; empty for sensors the camera lacks.
std::vector<VideoProfile> offeredProfiles(ob_sensor_type sensor, const CameraSettings& settings);

}  // namespace kestrum_sim::orbbec
