// The most disk space one test series can take.
#include "SeriesSpace.h"

#include "CaptureArguments.h"
#include "KinectGeometry.h"

#include <algorithm>

namespace {

constexpr int64_t kFileAllowance = 64 * 1024;

int64_t pixels(int64_t width, int64_t height)
{
    return width * height;
}

int64_t orbbecFrameBytes()
{
    const int64_t frame = pixels(kOrbbecStreamWidth, kOrbbecStreamHeight);
    const int64_t colorJpegs = 2 * frame * 3;
    const int64_t depthPngAndRaw = 2 * frame * 2;
    return colorJpegs + depthPngAndRaw + 4 * kFileAllowance;
}

int64_t kinectFrameBytes()
{
    const int64_t depth = pixels(kKinectDepthWidth, kKinectDepthHeight);
    const int64_t registeredColorJpeg = depth * 3;
    const int64_t fullColorJpeg = pixels(kKinectColorWidth, kKinectColorHeight) * 3;
    const int64_t colorDepthMap = depth * 4;
    const int64_t depthPngAndRaw = 2 * depth * 2;
    return registeredColorJpeg + fullColorJpeg + colorDepthMap + depthPngAndRaw + 5 * kFileAllowance;
}

} // namespace

int64_t maxKeptFrames(int32_t durationMs, int32_t sampleFps)
{
    // Arrival times are whole milliseconds, so the smallest gap is the interval less 1, rounded up.
    const int64_t smallestGapMs = std::max<int64_t>(1, (1000 + sampleFps - 1) / sampleFps - 1);
    return (durationMs - 1) / smallestGapMs + 2;
}

int64_t seriesBytesUpperBound(CameraKind camera)
{
    const int64_t frames = maxKeptFrames(kLongestDurationMs, kHighestSampleFps);
    const int64_t orbbec = frames * orbbecFrameBytes() + kFileAllowance;
    const int64_t kinect = frames * kinectFrameBytes() + kFileAllowance;
    switch (camera) {
    case CameraKind::Orbbec:
        return orbbec;
    case CameraKind::Kinect:
        return kinect;
    case CameraKind::None:
        break;
    }
    return std::max(orbbec, kinect);
}
