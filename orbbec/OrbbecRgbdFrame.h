// OrbbecRgbdFrame: the colour image of one Orbbec frameset and its depth aligned to it.
#pragma once

#include "OrbbecFrameStamp.h"

#include <opencv2/core.hpp>

// Both images own their pixels.
struct OrbbecRgbdFrame {
    cv::Mat color;            // CV_8UC3, BGR
    cv::Mat depth;            // CV_32FC1, raw value times depthScale (millimetres), aligned to color
    float depthScale = 1.0f;
    OrbbecFrameStamp colorStamp;  // of the frames the images were made from
    OrbbecFrameStamp depthStamp;
};
