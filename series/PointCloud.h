// A frame's depth as coloured 3-D points, and their PLY file.
#pragma once

#include "SeriesDescription.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// In metres in the camera's frame: x right, y down, z forward.
struct ColoredPoint {
    float x, y, z;
    uint8_t red, green, blue;
};

// Why these intrinsics put a pixel of a width x height image at infinity (beyond the largest float) at
// some depth a file can hold, or nothing.
std::optional<std::string> infinitePointsProblem(const CameraIntrinsics& camera, int width, int height);

// One point for every pixel with depth, row after row: x = (u - cx) z / fx, y = (v - cy) z / fy,
// z = depth / 1000, coloured from the pixel at the same place of color (CV_8UC3 BGR of the
// depth's size). depthMm is CV_16UC1 millimetres.
std::vector<ColoredPoint> backProject(const cv::Mat& depthMm, const cv::Mat& color, const CameraIntrinsics& camera);

// The whole PLY file: binary_little_endian 1.0, one vertex element with float x, y, z and
// uchar red, green, blue.
std::string plyFile(const std::vector<ColoredPoint>& points);
