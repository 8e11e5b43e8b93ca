// Float millimetre depth to the 16-bit millimetres of the depth files.
#pragma once

#include <opencv2/core.hpp>

// CV_32FC1 in, CV_16UC1 of the same size out. A value v becomes v rounded
// half away from zero when 0 < v < 65535; anything else (NaN, infinities,
// zero, negative, 65535 and above) becomes 0, which means "no measurement".
cv::Mat depthToMillimetreImage(const cv::Mat& depthMm);
