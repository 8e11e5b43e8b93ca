// Renders the shared scene into SDK frames; depth is rendered in millimetres and stored as Y16.
#include "SceneFrames.h"

#include "kestrum_sim/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace kestrum_sim::orbbec {
namespace {

PinholeView viewOf(const ob_camera_intrinsic& intrinsic, double offsetXmm) {
    return {intrinsic.fx, intrinsic.fy, intrinsic.cx, intrinsic.cy, intrinsic.width, intrinsic.height, offsetXmm};
}

FrameRef depthFrameFrom(uint64_t frameNumber, const ob_camera_intrinsic& intrinsic, double offsetXmm, float depthScale) {
    const PinholeView view = viewOf(intrinsic, offsetXmm);
    const size_t pixels = static_cast<size_t>(view.width) * static_cast<size_t>(view.height);
    std::vector<float> millimetres(pixels);
    renderDepthMm(frameNumber, view, millimetres.data());

    FrameRef frame = newFrame(OB_FRAME_DEPTH, OB_FORMAT_Y16, frameNumber);
    auto* depth = const_cast<ob_frame_t*>(frame.get());
    depth->width = static_cast<uint32_t>(view.width);
    depth->height = static_cast<uint32_t>(view.height);
    depth->valueScale = depthScale;
    depth->intrinsic = intrinsic;
    depth->data.resize(pixels * sizeof(uint16_t));
    auto* raw = reinterpret_cast<uint16_t*>(depth->data.data());
    for (size_t i = 0; i < pixels; ++i) {
        const double value = std::round(millimetres[i] / depthScale);
        raw[i] = static_cast<uint16_t>(std::clamp(value, 0.0, 65535.0));
    }
    return frame;
}

}  // namespace

FrameRef renderColorFrame(uint64_t frameNumber, const VideoProfile& profile) {
    FrameRef frame = newFrame(OB_FRAME_COLOR, profile.format, frameNumber);
    auto* color = const_cast<ob_frame_t*>(frame.get());
    color->width = profile.width;
    color->height = profile.height;
    color->intrinsic = profile.intrinsic;
    color->data.resize(static_cast<size_t>(profile.width) * profile.height * 3);
    renderColor(frameNumber, viewOf(profile.intrinsic, 0.0), color->data.data(), 3);
    if (profile.format == OB_FORMAT_RGB) {
        for (size_t i = 0; i + 2 < color->data.size(); i += 3) std::swap(color->data[i], color->data[i + 2]);
    }
    return frame;
}

FrameRef renderDepthFrame(uint64_t frameNumber, const VideoProfile& profile, float depthScale, bool empty) {
    if (!empty) return depthFrameFrom(frameNumber, profile.intrinsic, kDepthCameraOffsetMm, depthScale);
    FrameRef frame = newFrame(OB_FRAME_DEPTH, OB_FORMAT_Y16, frameNumber);
    const_cast<ob_frame_t*>(frame.get())->valueScale = depthScale;
    return frame;
}

FrameRef renderDepthSeenByColorCamera(uint64_t frameNumber, const ob_camera_intrinsic& colorIntrinsic, float depthScale) {
    return depthFrameFrom(frameNumber, colorIntrinsic, 0.0, depthScale);
}

}  // namespace kestrum_sim::orbbec
