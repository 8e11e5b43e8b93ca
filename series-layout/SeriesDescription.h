// What capture.json says about a recorded test series, in either camera's variant.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

enum class SeriesCamera { KinectV2, Orbbec };

struct CameraIntrinsics {
    double fx = 0, fy = 0, cx = 0, cy = 0;
};

struct SeriesDescription {
    SeriesCamera camera = SeriesCamera::KinectV2;
    std::string device;   // "Kinect v2", or the Orbbec camera's name
    std::string serial;
    std::string firmware;     // Orbbec only
    std::string connection;   // Orbbec only
    int64_t requestedDurationMs = 0;
    int64_t actualDurationMs = 0;
    int64_t requestedSampleFps = 0;
    int64_t receivedFrames = 0;
    int64_t savedFrames = 0;
    int64_t missingFrames = 0;
    int64_t incompleteFrames = 0;
    int64_t skippedFrames = 0;
    double receivedFps = 0;
    double savedFps = 0;
    // The depth image, and the colour image aligned with it (color/).
    int width = 0;
    int height = 0;
    // The full colour image (color-full/).
    int fullColorWidth = 0;
    int fullColorHeight = 0;
    // Of the image the depth lies in: the Kinect v2's undistorted depth, the Orbbec's colour image.
    CameraIntrinsics intrinsics;
    // Orbbec only: the depth camera's value scale (raw value times scale is millimetres); the depth files are in
    // millimetres whatever it is.
    double depthScale = 1.0;
};

// capture.json is missing, is no regular file, is too large, is not JSON, holds a number too large
// for its type, or lacks a member the series needs.
struct SeriesDescriptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses the text of capture.json; bytes that are not UTF-8 are read as U+FFFD. Throws
// SeriesDescriptionError.
SeriesDescription parseCaptureJson(const std::string& text);

// Reads dir/capture.json when it is a regular file of at most 64 KiB, and parses it. Throws
// SeriesDescriptionError naming the file.
SeriesDescription readCaptureJson(const std::filesystem::path& dir);
