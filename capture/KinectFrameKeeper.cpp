// KinectFrameKeeper: a delivered Kinect v2 frame set registered and written as the five frame files.
#include "KinectFrameKeeper.h"

#include "KinectFrameFiles.h"

KinectFrameKeeper::KinectFrameKeeper(KinectRegistration& registration, const std::filesystem::path& outputDir)
    : registration_(registration), outputDir_(outputDir), workers_(WorkerPool::threadsFor(kKinectFrameImages))
{
}

SampledFrame KinectFrameKeeper::keep(const libfreenect2::Frame& color, const libfreenect2::Frame& depth,
                                     int32_t index, int64_t timestampMs)
{
    const KinectRegisteredFrame registered = registration_.apply(color, depth);
    SampledFrame frame;
    frame.index = index;
    frame.timestampMs = timestampMs;
    frame.color = registered.registeredColor;
    frame.colorFull = registered.fullColor;
    frame.depthMm = registered.undistortedDepth;
    frame.colorDepthMap = registered.colorDepthMap;
    writeKinectFrameFiles(workers_, outputDir_, frame);
    return frame;
}
