// KinectRegistration: libfreenect2's registration of a Kinect v2 frame set, into buffers kept for the run.
#include "KinectRegistration.h"

KinectRegistration::KinectRegistration(const libfreenect2::Freenect2Device::IrCameraParams& depthCamera,
                                       const libfreenect2::Freenect2Device::ColorCameraParams& colorCamera)
    : registration_(depthCamera, colorCamera)
{
}

KinectRegisteredFrame KinectRegistration::apply(const libfreenect2::Frame& color, const libfreenect2::Frame& depth)
{
    const int width = static_cast<int>(depth.width);
    const int height = static_cast<int>(depth.height);
    if (!undistorted_) {
        undistorted_.emplace(depth.width, depth.height, 4);
        registered_.emplace(depth.width, depth.height, 4);
        colorDepthMap_.create(height, width, CV_32SC1);
    }
    // The library leaves the entries of depth pixels without colour alone: every byte 0xFF reads -1.
    colorDepthMap_.setTo(-1);
    registration_.apply(&color, &depth, &*undistorted_, &*registered_, true, nullptr, colorDepthMap_.ptr<int>());

    return {cv::Mat(height, width, CV_8UC4, registered_->data),
            cv::Mat(static_cast<int>(color.height), static_cast<int>(color.width), CV_8UC4, color.data),
            cv::Mat(height, width, CV_32FC1, undistorted_->data), colorDepthMap_};
}
