// KinectFrameKeeper: a delivered Kinect v2 frame set registered and written as the five frame files.
#include "KinectFrameKeeper.h"

#include "KinectFrameFiles.h"
#include "KinectGeometry.h"

KinectFrameKeeper::KinectFrameKeeper(const libfreenect2::Registration& registration,
                                     const std::filesystem::path& outputDir)
    : registration_(registration),
      outputDir_(outputDir),
      undistorted_(kKinectDepthWidth, kKinectDepthHeight, 4),
      registered_(kKinectDepthWidth, kKinectDepthHeight, 4),
      colorDepthMap_(kKinectDepthHeight, kKinectDepthWidth, CV_32SC1),
      workers_(WorkerPool::threadsFor(kKinectFrameImages))
{
}

SampledFrame KinectFrameKeeper::keep(const libfreenect2::Frame& color, const libfreenect2::Frame& depth,
                                     int32_t index, int64_t timestampMs)
{
    // Every byte 0xFF, so the entries the registration leaves alone read -1.
    colorDepthMap_.setTo(-1);
    registration_.apply(&color, &depth, &undistorted_, &registered_, true, nullptr, colorDepthMap_.ptr<int>());

    SampledFrame frame;
    frame.index = index;
    frame.timestampMs = timestampMs;
    frame.color = cv::Mat(kKinectDepthHeight, kKinectDepthWidth, CV_8UC4, registered_.data);
    frame.colorFull = cv::Mat(static_cast<int>(color.height), static_cast<int>(color.width), CV_8UC4, color.data);
    frame.depthMm = cv::Mat(kKinectDepthHeight, kKinectDepthWidth, CV_32FC1, undistorted_.data);
    frame.colorDepthMap = colorDepthMap_;
    writeKinectFrameFiles(workers_, outputDir_, frame);
    return frame;
}
