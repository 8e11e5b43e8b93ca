// KinectRegistration: libfreenect2's registration of a Kinect v2 frame set, into buffers kept for the run.
#pragma once

#include <libfreenect2/libfreenect2.hpp>
#include <libfreenect2/registration.h>

#include <opencv2/core.hpp>

#include <optional>

// A registered frame set: views into the colour frame and into buffers that the next apply overwrites.
struct KinectRegisteredFrame {
    cv::Mat registeredColor;   // CV_8UC4 in the depth image's geometry: the colour each depth pixel sees
    cv::Mat fullColor;         // CV_8UC4: the colour frame itself
    cv::Mat undistortedDepth;  // CV_32FC1 millimetres
    cv::Mat colorDepthMap;     // CV_32SC1: row * width + column of the colour pixel, -1 where none
};

class KinectRegistration {
public:
    KinectRegistration(const libfreenect2::Freenect2Device::IrCameraParams& depthCamera,
                       const libfreenect2::Freenect2Device::ColorCameraParams& colorCamera);
    KinectRegistration(const KinectRegistration&) = delete;
    KinectRegistration& operator=(const KinectRegistration&) = delete;

    // Undistorts the depth and maps it onto the colour frame, with the library's filter of colour
    // pixels that the depth camera cannot see. The frames are read only until this returns.
    KinectRegisteredFrame apply(const libfreenect2::Frame& color, const libfreenect2::Frame& depth);

private:
    const libfreenect2::Registration registration_;
    // Made at the first frame set, in its depth geometry, and reused for every later one.
    std::optional<libfreenect2::Frame> undistorted_;
    std::optional<libfreenect2::Frame> registered_;
    cv::Mat colorDepthMap_;
};
