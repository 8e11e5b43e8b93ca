// The simulated Kinect v2's cameras: factory-like parameters and the IR lens model
// that both the simulated device and the registration use.
#pragma once

#include "KinectGeometry.h"

#include <libfreenect2/libfreenect2.hpp>

#include <vector>

namespace kestrum_sim {

libfreenect2::Freenect2Device::IrCameraParams factoryIrCameraParams();
libfreenect2::Freenect2Device::ColorCameraParams factoryColorCameraParams();

// Brown-Conrady: where the lens images the ray through the ideal normalised point (x, y).
void distortNormalized(const libfreenect2::Freenect2Device::IrCameraParams& ir, double x, double y, double& distortedX,
                       double& distortedY);

// For every undistorted depth pixel, the index of the raw (distorted) pixel that sees
// the same ray, or -1 when that falls outside the sensor.
std::vector<int> rawPixelOfUndistortedPixel(const libfreenect2::Freenect2Device::IrCameraParams& ir);

// The inverse: for every raw pixel, the index of the undistorted pixel, or -1.
std::vector<int> undistortedPixelOfRawPixel(const libfreenect2::Freenect2Device::IrCameraParams& ir);

} // namespace kestrum_sim
