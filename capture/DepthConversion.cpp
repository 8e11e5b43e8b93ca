// Float millimetre depth to the 16-bit millimetres of the depth files.
#include "DepthConversion.h"

#include <cstdint>

namespace {

// Written so that the compiler can vectorise the loop (with -fno-trapping-math):
// no branch and no library call. Comparisons with NaN are false, so NaN becomes 0
// with the infinities, and so does everything below one half, which rounds to 0.
// From one half up, adding one half and truncating rounds half away from zero
// exactly as std::lround does (checked for every float); below it, the sum can
// round up to 1.
uint16_t toMillimetres(float value)
{
    float inRange = value >= 0.5f ? value : 0.0f;
    inRange = inRange < 65535.0f ? inRange : 0.0f;
    return static_cast<uint16_t>(static_cast<int>(inRange + 0.5f));
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
