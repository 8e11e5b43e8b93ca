// Frames of the shared synthetic scene, as the simulated camera's sensors see it.
#pragma once

#include "Frames.h"
#include "StreamProfiles.h"

namespace kestrum_sim::orbbec {

// 8-bit BGR or RGB, as the profile's format says.
FrameRef renderColorFrame(uint64_t frameNumber, const VideoProfile& profile);

// Y16 from the depth camera, raw value = millimetres / depthScale; 0 x 0 pixels when empty.
FrameRef renderDepthFrame(uint64_t frameNumber, const VideoProfile& profile, float depthScale, bool empty);

// Y16 depth of that frame as the colour camera with these intrinsics sees it: what alignment to colour yields.
FrameRef renderDepthSeenByColorCamera(uint64_t frameNumber, const ob_camera_intrinsic& colorIntrinsic, float depthScale);

}  // namespace kestrum_sim::orbbec
