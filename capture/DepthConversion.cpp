// Float millimetre depth to the 16-bit millimetres of the depth files.
#include "DepthConversion.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

uint16_t toMillimetres(float value)
{
    // NaN fails this comparison as well as the infinities.
    if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
        return 0;
    }
    if (value > 0.0f && value < 65535.0f) {
        return static_cast<uint16_t>(std::lround(value));
    }
    return 0;
}

} // namespace

cv::Mat depthToMillimetreImage(const cv::Mat& depthMm)
{
    CV_Assert(depthMm.type() == CV_32FC1);
    cv::Mat millimetres(depthMm.rows, depthMm.cols, CV_16UC1);
    for (int row = 0; row < depthMm.rows; ++row) {
        const float* source = depthMm.ptr<float>(row);
        uint16_t* target = millimetres.ptr<uint16_t>(row);
        for (int column = 0; column < depthMm.cols; ++column) {
            target[column] = toMillimetres(source[column]);
        }
    }
    return millimetres;
}
