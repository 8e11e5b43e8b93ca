// Frames the simulated device allocates, and the depth frame of a replayed series.
#pragma once

#include "SimulationRecord.h"

#include <libfreenect2/frame_listener.hpp>

#include <opencv2/core.hpp>

namespace kestrum_sim {

// Counted so tests can see frames nobody deleted.
class DeviceFrame : public libfreenect2::Frame {
public:
    DeviceFrame(size_t width, size_t height, size_t bytesPerPixel) : Frame(width, height, bytesPerPixel)
    {
        countDeviceFrames(1);
    }
    ~DeviceFrame() override { countDeviceFrames(-1); }
};

// A depth frame of a recorded series carries what the registration gave when it was recorded, so that the
// registration of this frame gives it again.
class ReplayedDepthFrame : public DeviceFrame {
public:
    ReplayedDepthFrame(cv::Mat registeredColor, cv::Mat colorDepthMap)
        : DeviceFrame(colorDepthMap.cols, colorDepthMap.rows, 4), registeredColor(std::move(registeredColor)),
          colorDepthMap(std::move(colorDepthMap))
    {
    }

    const cv::Mat registeredColor;   // CV_8UC3, color/
    const cv::Mat colorDepthMap;     // CV_32SC1, color-map/
};

} // namespace kestrum_sim
