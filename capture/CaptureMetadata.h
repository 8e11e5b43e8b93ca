// capture.json, the summary of a completed test series, in its Kinect v2 and Orbbec variants.
#pragma once

#include "CaptureStatistics.h"
#include "PinholeIntrinsics.h"

#include <cstdint>
#include <string>

// The Kinect v2's values: its serial number and its depth (infrared) camera.
struct KinectMetadata {
    std::string serial;
    PinholeIntrinsics depthCamera;
};

// The Orbbec camera's values; the depth files lie in the colour image's geometry.
struct OrbbecMetadata {
    std::string device;
    std::string serial;
    std::string firmware;
    std::string connection;
    int32_t width = 0;
    int32_t height = 0;
    PinholeIntrinsics colorCamera;
    float depthScale = 1.0f;   // of the last kept frame
    bool frameSync = false;
};

// The file's text: two-blank indentation, one member per line, final line
// feed; floating-point values fixed with 3 (Kinect v2) or 6 (Orbbec) decimals.
std::string kinectCaptureJson(const CaptureStatistics& statistics, const KinectMetadata& kinect);
std::string orbbecCaptureJson(const CaptureStatistics& statistics, const OrbbecMetadata& orbbec);
