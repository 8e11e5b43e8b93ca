// Frames of the shared synthetic scene, as the simulated camera's sensors see it.
#pragma once

#include "Frames.h"
#include "ProfileNode.h"

#include <memory>

namespace kestrum_sim::orbbec {

// 8-bit BGR or RGB, as the profile's format says.
FrameRef renderColorFrame(uint64_t frameNumber, const std::shared_ptr<const ProfileNode>& profile);

// Y16 from the depth camera, raw value = millimetres / depthScale; 0 x 0 pixels when empty.
FrameRef renderDepthFrame(uint64_t frameNumber, const std::shared_ptr<const ProfileNode>& profile, float depthScale, bool empty);

}  // namespace kestrum_sim::orbbec
