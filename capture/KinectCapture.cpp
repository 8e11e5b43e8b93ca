// Records a test series from a Kinect v2 through libfreenect2.
#include "KinectCapture.h"

#include "CaptureLoop.h"
#include "CaptureMetadata.h"
#include "EventLines.h"
#include "KinectDevice.h"
#include "KinectFrameKeeper.h"
#include "KinectFrameSet.h"
#include "KinectRegistration.h"
#include "SeriesSummary.h"
#include "StopSignal.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace {

// The loop's view of the device: frame sets are registered and written only when kept.
class KinectFrameSource final : public FrameSource {
public:
    KinectFrameSource(const KinectDevice& device, KinectRegistration& registration,
                      const std::filesystem::path& outputDir)
        : device_(device), keeper_(registration, outputDir)
    {
    }

    void fetchWarmupFrame() override
    {
        const KinectFrameSet frames(device_, kKinectWarmupWaitMs);
        if (!frames.delivered()) {
            throw std::runtime_error(kKinectWarmupTimeoutMessage);
        }
    }

    bool requestFrame(std::chrono::milliseconds waitLimit) override
    {
        frames_.emplace(device_, static_cast<int>(waitLimit.count()));
        return frames_->delivered();
    }

    bool frameIsComplete() const override
    {
        return frames_->frame(libfreenect2::Frame::Color) != nullptr &&
               frames_->frame(libfreenect2::Frame::Depth) != nullptr;
    }

    // The set goes back to the library only after this: keep returns once no worker reads it.
    void keepFrame(int32_t index, int64_t timestampMs) override
    {
        keeper_.keep(*frames_->frame(libfreenect2::Frame::Color), *frames_->frame(libfreenect2::Frame::Depth), index,
                     timestampMs);
    }

    void releaseFrame() noexcept override { frames_.reset(); }

    // The Kinect v2 streams on until capture.json and "captureCompleted" are written.
    void finishStreaming() override {}

private:
    const KinectDevice& device_;
    KinectFrameKeeper keeper_;
    std::optional<KinectFrameSet> frames_;  // the delivered set, from requestFrame to releaseFrame
};

// How a run ended once every libfreenect2 object is gone.
struct KinectRunOutcome {
    std::optional<std::string> deviceFailure;   // reported as an error line, exit code 1
    int exitCode = 1;
};

KinectRunOutcome failedDevice(const char* message)
{
    return {std::string(message), 1};
}

KinectRunOutcome recordKinectSeries(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps)
{
    // Whatever way this ends, the device stops and closes before its listener goes, the context last.
    KinectDevice kinect;
    switch (kinect.open()) {
    case KinectDevice::Opening::NoDevice:
        return failedDevice(kNoKinectMessage);
    case KinectDevice::Opening::NotOpened:
        return failedDevice(kKinectNotOpenedMessage);
    case KinectDevice::Opening::Opened:
        break;
    }
    if (!kinect.start(KinectDevice::Streams::ColorInfraredDepth, KinectDevice::AfterFailedStart::Stop)) {
        return failedDevice(kKinectNotStartedMessage);
    }

    libfreenect2::Freenect2Device& device = kinect.device();
    const libfreenect2::Freenect2Device::IrCameraParams irParameters = device.getIrCameraParams();
    const libfreenect2::Freenect2Device::ColorCameraParams colorParameters = device.getColorCameraParams();
    KinectRegistration registration(irParameters, colorParameters);
    const libfreenect2::Freenect2Device::IrCameraParams depthCamera = device.getIrCameraParams();

    const std::string& serial = kinect.serial();
    emitDeviceOpened(CaptureBackend::Kinect, "", serial, durationMs, sampleFps);
    KinectFrameSource source(kinect, registration, outputDir);
    const CaptureStatistics statistics = runCaptureLoop(source, steadyClock(), durationMs, sampleFps, isStopRequested);

    const KinectMetadata metadata{serial, {depthCamera.fx, depthCamera.fy, depthCamera.cx, depthCamera.cy}};
    writeSeriesSummary(outputDir, CaptureBackend::Kinect, statistics, kinectCaptureJson(statistics, metadata));
    return {std::nullopt, exitCodeFor(statistics)};
}

} // namespace

int runKinectCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps)
{
    const KinectRunOutcome outcome = recordKinectSeries(outputDir, durationMs, sampleFps);
    if (outcome.deviceFailure) {
        emitErrorEvent(*outcome.deviceFailure);
    }
    return outcome.exitCode;
}
