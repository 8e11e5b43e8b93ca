// Own copies of an Orbbec frame's pixels as OpenCV images; the SDK's buffers are never handed out.
#include "OrbbecFrameImages.h"

cv::Mat colorImageOf(const ob::ColorFrame& frame)
{
    const int height = static_cast<int>(frame.getHeight());
    const int width = static_cast<int>(frame.getWidth());
    const cv::Mat view(height, width, CV_8UC3, frame.getData());
    return view.clone();
}

cv::Mat depthImageOf(const ob::DepthFrame& frame, float scale)
{
    const int height = static_cast<int>(frame.getHeight());
    const int width = static_cast<int>(frame.getWidth());
    const cv::Mat view(height, width, CV_16UC1, frame.getData());
    cv::Mat converted;
    view.convertTo(converted, CV_32FC1, static_cast<double>(scale), 0.0);
    return converted;
}
