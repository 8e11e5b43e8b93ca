// capture.json, the summary of a completed test series, in its Kinect v2 and Orbbec variants.
#pragma once

#include "CaptureStatistics.h"
#include "PinholeIntrinsics.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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

// Writes the text to outputDir/capture.json as a complete file, replacing an
// earlier one, and returns that path. When the file cannot be created or its
// text does not all reach the disk, throws "capture.json konnte nicht
// geschrieben werden." and leaves what was there.
std::string writeCaptureJson(const std::filesystem::path& outputDir, const std::string& text);

// Removes an earlier run's outputDir/capture.json (a regular file or a link to
// one), so that it never stands beside frames of another run; called just before
// a run's first frame file takes its name. Anything else at that name stays.
// Throws "capture.json konnte nicht geschrieben werden." when it cannot be removed.
void removeEarlierCaptureJson(const std::filesystem::path& outputDir);

// What runs before the first file of the frame with this index takes its name:
// removeEarlierCaptureJson for a run's first frame, nothing for the others.
std::function<void()> beforeFrameFiles(const std::filesystem::path& outputDir, int32_t index);
