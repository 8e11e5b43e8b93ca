// Image sizes of the Kinect v2.
#pragma once

// The depth image and the colour image registered onto it.
inline constexpr int kKinectDepthWidth = 512;
inline constexpr int kKinectDepthHeight = 424;
// The full colour image.
inline constexpr int kKinectColorWidth = 1920;
inline constexpr int kKinectColorHeight = 1080;
