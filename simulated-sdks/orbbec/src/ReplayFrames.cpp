// A frame of a replayed series as the simulated camera's sensors deliver it.
#include "ReplayFrames.h"

#include <algorithm>
#include <cmath>

namespace kestrum_sim::orbbec {
namespace {

VideoProfile recordedProfile(ob_stream_type type, ob_format format, const SeriesDescription& series) {
    const auto width = static_cast<uint32_t>(series.fullColorWidth);
    const auto height = static_cast<uint32_t>(series.fullColorHeight);
    const ob_camera_intrinsic intrinsic = {static_cast<float>(series.intrinsics.fx), static_cast<float>(series.intrinsics.fy),
                                           static_cast<float>(series.intrinsics.cx), static_cast<float>(series.intrinsics.cy),
                                           static_cast<int16_t>(width), static_cast<int16_t>(height)};
    return {type, format, width, height, 30, intrinsic, kNoDistortion};
}

}  // namespace

std::vector<VideoProfile> replayProfiles(ob_sensor_type sensor, const CameraSettings& settings) {
    const SeriesDescription& series = settings.replay->description();
    std::vector<VideoProfile> profiles;
    if (sensor == OB_SENSOR_COLOR) {
        if (!settings.fails("color-profile")) profiles.push_back(recordedProfile(OB_STREAM_COLOR, OB_FORMAT_BGR, series));
        profiles.push_back(recordedProfile(OB_STREAM_COLOR, OB_FORMAT_RGB, series));
    } else if (sensor == OB_SENSOR_DEPTH && !settings.fails("depth-profile")) {
        profiles.push_back(recordedProfile(OB_STREAM_DEPTH, OB_FORMAT_Y16, series));
    }
    return profiles;
}

FrameRef replayedColorFrame(uint64_t frameNumber, const ReplayedFrame& recorded,
                            const std::shared_ptr<const ProfileNode>& profile) {
    const cv::Mat& bgr = recorded.fullColor;
    return newColorFrame(frameNumber, profile, std::vector<uint8_t>(bgr.data, bgr.data + bgr.total() * 3));
}

FrameRef replayedDepthFrame(uint64_t frameNumber, const ReplayedFrame& recorded,
                            const std::shared_ptr<const ProfileNode>& profile, float depthScale, bool empty) {
    FrameRef frame = newFrame(OB_FRAME_DEPTH, OB_FORMAT_Y16, frameNumber);
    auto* depth = const_cast<ob_frame_t*>(frame.get());
    depth->valueScale = depthScale;
    depth->profile = profile;
    if (empty) return frame;

    depth->width = static_cast<uint32_t>(recorded.depthMm.cols);
    depth->height = static_cast<uint32_t>(recorded.depthMm.rows);
    depth->data.resize(recorded.depthMm.total() * sizeof(uint16_t));
    auto* raw = reinterpret_cast<uint16_t*>(depth->data.data());
    const uint16_t* millimetres = recorded.depthMm.ptr<uint16_t>();
    for (size_t i = 0; i < recorded.depthMm.total(); ++i) {
        raw[i] = static_cast<uint16_t>(std::min(std::round(millimetres[i] / static_cast<double>(depthScale)), 65535.0));
    }
    return frame;
}

}  // namespace kestrum_sim::orbbec
