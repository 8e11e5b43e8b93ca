// Renders the shared scene into SDK frames; depth is rendered in millimetres and stored as Y16.
#include "SceneFrames.h"

#include "kestrum_sim/Scene.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrum_sim::orbbec {
namespace {

// The simulated camera's profiles always carry intrinsics.
PinholeView viewOf(const VideoProfile& profile, double offsetXmm) {
    const ob_camera_intrinsic& intrinsic = *profile.intrinsic;
    return {intrinsic.fx, intrinsic.fy, intrinsic.cx, intrinsic.cy, intrinsic.width, intrinsic.height, offsetXmm};
}

}  // namespace

FrameRef renderColorFrame(uint64_t frameNumber, const std::shared_ptr<const ProfileNode>& profile) {
    const VideoProfile& values = profile->values;
    std::vector<uint8_t> bgr(static_cast<size_t>(values.width) * values.height * 3);
    renderColor(frameNumber, viewOf(values, 0.0), bgr.data(), 3);
    return newColorFrame(frameNumber, profile, std::move(bgr));
}

FrameRef renderDepthFrame(uint64_t frameNumber, const std::shared_ptr<const ProfileNode>& profile, float depthScale, bool empty) {
    FrameRef frame = newFrame(OB_FRAME_DEPTH, OB_FORMAT_Y16, frameNumber);
    auto* depth = const_cast<ob_frame_t*>(frame.get());
    depth->valueScale = depthScale;
    depth->profile = profile;
    if (empty) return frame;

    const PinholeView view = viewOf(profile->values, kDepthCameraOffsetMm);
    const size_t pixels = static_cast<size_t>(view.width) * static_cast<size_t>(view.height);
    std::vector<float> millimetres(pixels);
    renderDepthMm(frameNumber, view, millimetres.data());
    depth->width = static_cast<uint32_t>(view.width);
    depth->height = static_cast<uint32_t>(view.height);
    depth->data.resize(pixels * sizeof(uint16_t));
    auto* raw = reinterpret_cast<uint16_t*>(depth->data.data());
    for (size_t i = 0; i < pixels; ++i) {
        const double value = std::round(millimetres[i] / depthScale);
        raw[i] = static_cast<uint16_t>(std::clamp(value, 0.0, 65535.0));
    }
    return frame;
}

}  // namespace kestrum_sim::orbbec
