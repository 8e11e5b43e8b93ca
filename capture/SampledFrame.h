// One kept frame as the frame writers receive it.
#pragma once

#include <opencv2/core.hpp>

#include <cstdint>

// The matrices may be views over the camera library's frame memory: they are
// valid only while the frame writers run, and the writers keep no reference.
struct SampledFrame {
    int32_t index = 0;          // savedFrames when the frame was kept: 0, 1, 2, ...
    int64_t timestampMs = 0;    // whole milliseconds from the sampling start to the arrival
    cv::Mat color;              // Kinect v2: 512 x 424 registered colour, CV_8UC4; Orbbec: CV_8UC3
    cv::Mat colorFull;          // Kinect v2: 1920 x 1080 colour, CV_8UC4; Orbbec: the same image as color
    cv::Mat depthMm;            // CV_32FC1 millimetres
    cv::Mat colorDepthMap;      // Kinect v2 only: 424 x 512 CV_32SC1 colour pixel indices; empty for the Orbbec
};
