// One test series as a capture would write it, from the series layout's files per frame.
#include "SeriesSpace.h"

#include "FrameFileRules.h"
#include "KinectGeometry.h"
#include "RunLimits.h"

#include <algorithm>

namespace {

constexpr int64_t kFileAllowance = 64 * 1024;

SeriesDescription seriesOf(SeriesCamera camera)
{
    SeriesDescription series;
    series.camera = camera;
    if (camera == SeriesCamera::Orbbec) {
        series.width = series.fullColorWidth = kOrbbecStreamWidth;
        series.height = series.fullColorHeight = kOrbbecStreamHeight;
    } else {
        series.width = kKinectDepthWidth;
        series.height = kKinectDepthHeight;
        series.fullColorWidth = kKinectColorWidth;
        series.fullColorHeight = kKinectColorHeight;
    }
    return series;
}

int64_t fileBytes(const FrameFileLayout& file)
{
    const int64_t pixels = static_cast<int64_t>(file.width) * file.height;
    switch (file.kind) {
    case FrameFileKind::ColorJpeg:
        return pixels * 3;
    case FrameFileKind::DepthPng:
        return pixels * 2;
    case FrameFileKind::DepthRaw:
    case FrameFileKind::ColorMap:
        break;
    }
    return static_cast<int64_t>(binaryFileBytes(file));
}

int64_t seriesBytes(SeriesCamera camera)
{
    int64_t frame = 0;
    for (const FrameFileLayout& file : frameFilesOf(seriesOf(camera))) {
        frame += fileBytes(file) + kFileAllowance;
    }
    const int64_t captureJson = kFileAllowance;
    return mostFramesOfLongestSeries() * frame + captureJson;
}

} // namespace

int64_t mostFramesOfLongestSeries()
{
    // Every kept frame but the last arrives before the duration ends, so within its first
    // kLongestDurationMs - 1 ms; the last one may come after it.
    return mostFramesKept(kLongestDurationMs - 1, kHighestSampleFps) + 1;
}

int64_t seriesBytesUpperBound(CameraKind camera)
{
    switch (camera) {
    case CameraKind::Orbbec:
        return seriesBytes(SeriesCamera::Orbbec);
    case CameraKind::Kinect:
        return seriesBytes(SeriesCamera::KinectV2);
    case CameraKind::None:
        break;
    }
    return std::max(seriesBytes(SeriesCamera::Orbbec), seriesBytes(SeriesCamera::KinectV2));
}

SeriesToWrite seriesToWrite(CameraKind camera)
{
    SeriesToWrite series;
    // The Kinect v2 writes into each of the five folders, so its files stand for either camera's.
    const std::vector<FrameFileLayout> files =
        frameFilesOf(seriesOf(camera == CameraKind::Orbbec ? SeriesCamera::Orbbec : SeriesCamera::KinectV2));
    series.frameFiles.assign(files.begin(), files.end());
    series.frames = mostFramesOfLongestSeries();
    series.bytes = seriesBytesUpperBound(camera);
    series.description = std::to_string(kLongestDurationMs) + " ms at " + std::to_string(kHighestSampleFps) +
                         " frames per second from ";
    switch (camera) {
    case CameraKind::Orbbec:
        series.description += "the Orbbec camera";
        break;
    case CameraKind::Kinect:
        series.description += "the Kinect v2";
        break;
    case CameraKind::None:
        series.description += "the larger of the two cameras";
        break;
    }
    return series;
}
