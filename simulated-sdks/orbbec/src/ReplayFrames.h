// A frame of a replayed series as the simulated camera's sensors deliver it.
#pragma once

#include "Frames.h"
#include "ProfileNode.h"
#include "StreamProfiles.h"

#include "kestrum_sim/ReplaySeries.h"

#include <memory>

namespace kestrum_sim::orbbec {

// The profiles a replaying camera offers: colour (BGR and RGB) and Y16 depth at the series' colour size and
// 30 fps, both with the series' colour intrinsics and no distortion, less those a fail= setting withholds.
std::vector<VideoProfile> replayProfiles(ob_sensor_type sensor, const CameraSettings& settings);

// The recorded full colour image in the profile's format.
FrameRef replayedColorFrame(uint64_t frameNumber, const ReplayedFrame& recorded,
                            const std::shared_ptr<const ProfileNode>& profile);

// The recorded millimetres as Y16, raw value = millimetres / depthScale (rounded, at most 65535); 0 x 0 pixels
// when empty.
FrameRef replayedDepthFrame(uint64_t frameNumber, const ReplayedFrame& recorded,
                            const std::shared_ptr<const ProfileNode>& profile, float depthScale, bool empty);

}  // namespace kestrum_sim::orbbec
