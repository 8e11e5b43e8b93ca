// Depth images in OpenCV's TURBO colour map over one fixed range of millimetres.
#include "DepthColoring.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLowPercentile = 0.02;
constexpr double kHighPercentile = 0.98;

// The nearest-rank percentile: the smallest value that at least that fraction of the valid values do not exceed.
int valueAtFraction(const DepthHistogram& histogram, uint64_t valid, double fraction)
{
    const auto rank = std::max<uint64_t>(1, static_cast<uint64_t>(std::ceil(fraction * static_cast<double>(valid))));
    uint64_t seen = 0;
    for (size_t value = 1; value < histogram.size(); ++value) {
        seen += histogram[value];
        if (seen >= rank) {
            return static_cast<int>(value);
        }
    }
    return static_cast<int>(histogram.size() - 1);
}

} // namespace

DepthHistogram emptyDepthHistogram() { return DepthHistogram(65536, 0); }

void addToHistogram(DepthHistogram& histogram, const cv::Mat& depthMm)
{
    for (int row = 0; row < depthMm.rows; ++row) {
        const uint16_t* values = depthMm.ptr<uint16_t>(row);
        for (int column = 0; column < depthMm.cols; ++column) {
            ++histogram[values[column]];
        }
    }
}

DepthRange percentileRange(const DepthHistogram& histogram)
{
    uint64_t valid = 0;
    for (size_t value = 1; value < histogram.size(); ++value) {
        valid += histogram[value];
    }
    if (valid == 0) {
        return {};
    }
    return {valueAtFraction(histogram, valid, kLowPercentile), valueAtFraction(histogram, valid, kHighPercentile)};
}

cv::Mat coloredDepth(const cv::Mat& depthMm, DepthRange range)
{
    // A range of one value would divide by zero; it still maps that value to the start.
    const double span = std::max(1, range.highMm - range.lowMm);
    cv::Mat scaled;
    depthMm.convertTo(scaled, CV_8U, 255.0 / span, -255.0 * range.lowMm / span);
    cv::Mat colored;
    cv::applyColorMap(scaled, colored, cv::COLORMAP_TURBO);
    colored.setTo(cv::Scalar::all(0), depthMm == 0);
    return colored;
}

cv::Vec3b depthColor(int depthMm, DepthRange range)
{
    const cv::Mat one(1, 1, CV_16UC1, cv::Scalar(std::clamp(depthMm, 1, 65535)));
    return coloredDepth(one, range).at<cv::Vec3b>(0, 0);
}
