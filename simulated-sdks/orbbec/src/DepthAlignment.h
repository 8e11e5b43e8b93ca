// The Align filter's mapping of a depth frame into the colour camera's image.
#pragma once

#include "Frames.h"

#include <memory>

namespace kestrum_sim::orbbec {

// The viewing rays through the edges of a depth camera's pixels.
struct DepthEdgeRays;

// Keeps the rays of the last depth calibration it saw, so that a stream of frames works them out once.
class DepthAlignment {
public:
    DepthAlignment();
    ~DepthAlignment();
    DepthAlignment(const DepthAlignment&) = delete;
    DepthAlignment& operator=(const DepthAlignment&) = delete;

    // A depth frame of the colour frame's size, value scale and intrinsics: each depth pixel reprojected
    // through the depth profile's intrinsics and distortion and the extrinsic bound between the profiles
    // (the identity where none is) onto the colour pixels it covers, in the colour camera's pinhole
    // model; the nearest value where several land, 0 where none does. A depth frame without pixels
    // gives one without pixels. Throws SdkFailure with the SDK's texts for a missing calibration.
    FrameRef align(const ob_frame_t& depth, const ob_frame_t& color);

private:
    std::unique_ptr<const DepthEdgeRays> rays_;
};

}  // namespace kestrum_sim::orbbec
