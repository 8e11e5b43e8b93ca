// Own copies of an Orbbec frame's pixels as OpenCV images; the SDK's buffers are never handed out.
#pragma once

#include <libobsensor/ObSensor.hpp>
#include <opencv2/core.hpp>

// The pixels taken as BGR rows packed one after the other; the frame's format is not examined.
cv::Mat colorImageOf(const ob::ColorFrame& frame);

// The raw 16-bit values times scale, as 32-bit floats; 0 stays 0.
cv::Mat depthImageOf(const ob::DepthFrame& frame, float scale);
