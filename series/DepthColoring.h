// Depth images in OpenCV's TURBO colour map over one fixed range of millimetres.
#pragma once

#include <opencv2/core.hpp>

#include <array>
#include <cstdint>
#include <vector>

struct DepthRange {
    int lowMm = 0;
    int highMm = 0;
};

// Counts of every 16-bit depth value; 0 (no measurement) is counted too but never used.
using DepthHistogram = std::vector<uint64_t>;

DepthHistogram emptyDepthHistogram();
void addToHistogram(DepthHistogram& histogram, const cv::Mat& depthMm);

// The 2nd and 98th percentile of the valid (non-zero) depth values; {0, 0} without any.
DepthRange percentileRange(const DepthHistogram& histogram);

// CV_8UC3 (BGR) of the same size: lowMm and below at the map's start, highMm and above at its
// end, linear between; pixels without depth black.
cv::Mat coloredDepth(const cv::Mat& depthMm, DepthRange range);

// The colour of one depth value, as coloredDepth gives it (for the legend).
cv::Vec3b depthColor(int depthMm, DepthRange range);
