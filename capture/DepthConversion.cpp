// Float millimetre depth to the 16-bit millimetres of the depth files.
#include "DepthConversion.h"

#include <cstdint>

namespace {

// Written so that the compiler can vectorise the loop (with -fno-trapping-math):
// no branch and no library call. Comparisons with NaN are false, so NaN becomes 0
// with the infinities. The fraction of a float is exact, so comparing it with
// one half rounds half away from zero exactly as std::lround does.
uint16_t toMillimetres(float value)
{
    float inRange = value > 0.0f ? value : 0.0f;
    inRange = inRange < 65535.0f ? inRange : 0.0f;
    const int whole = static_cast<int>(inRange);
    const float fraction = inRange - static_cast<float>(whole);
    return static_cast<uint16_t>(whole + (fraction >= 0.5f ? 1 : 0));
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
