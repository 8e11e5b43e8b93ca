// Records a test series from a Kinect v2 through libfreenect2.
#include "KinectCapture.h"

#include "CaptureLoop.h"
#include "CaptureMetadata.h"
#include "EventLines.h"
#include "Freenect2StderrLog.h"
#include "KinectFrameFiles.h"
#include "KinectGeometry.h"

#include <libfreenect2/frame_listener_impl.h>
#include <libfreenect2/libfreenect2.hpp>
#include <libfreenect2/packet_pipeline.h>
#include <libfreenect2/registration.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

constexpr int kWarmupWaitMs = 5000;

// On every way out the device stops streaming and closes before the listener
// it delivers to is destroyed: declare the handle after the listener.
struct StopAndCloseDevice {
    void operator()(libfreenect2::Freenect2Device* device) const
    {
        device->stop();
        device->close();
        delete device;
    }
};
using OpenedDevice = std::unique_ptr<libfreenect2::Freenect2Device, StopAndCloseDevice>;

// The loop's view of the listener: frame sets are registered and written only when kept.
class KinectFrameSource final : public FrameSource {
public:
    KinectFrameSource(libfreenect2::SyncMultiFrameListener& listener, const libfreenect2::Registration& registration,
                      const std::filesystem::path& outputDir)
        : listener_(listener), registration_(registration), outputDir_(outputDir)
    {
    }

    void fetchWarmupFrame() override
    {
        if (!listener_.waitForNewFrame(frames_, kWarmupWaitMs)) {
            throw std::runtime_error("Zeitüberschreitung während der Aufwärmphase.");
        }
        listener_.release(frames_);
    }

    bool requestFrame(std::chrono::milliseconds waitLimit) override
    {
        return listener_.waitForNewFrame(frames_, static_cast<int>(waitLimit.count()));
    }

    bool frameIsComplete() const override
    {
        return delivered(libfreenect2::Frame::Color) != nullptr && delivered(libfreenect2::Frame::Depth) != nullptr;
    }

    void keepFrame(int32_t index, int64_t timestampMs) override
    {
        const libfreenect2::Frame* color = delivered(libfreenect2::Frame::Color);
        libfreenect2::Frame undistorted(kKinectDepthWidth, kKinectDepthHeight, 4);
        libfreenect2::Frame registered(kKinectDepthWidth, kKinectDepthHeight, 4);
        // Every byte 0xFF, so the entries the registration leaves alone read -1.
        cv::Mat colorDepthMap(kKinectDepthHeight, kKinectDepthWidth, CV_32SC1, cv::Scalar(-1));
        registration_.apply(color, delivered(libfreenect2::Frame::Depth), &undistorted, &registered, true, nullptr,
                            colorDepthMap.ptr<int>());

        SampledFrame frame;
        frame.index = index;
        frame.timestampMs = timestampMs;
        frame.color = cv::Mat(kKinectDepthHeight, kKinectDepthWidth, CV_8UC4, registered.data);
        frame.colorFull =
            cv::Mat(static_cast<int>(color->height), static_cast<int>(color->width), CV_8UC4, color->data);
        frame.depthMm = cv::Mat(kKinectDepthHeight, kKinectDepthWidth, CV_32FC1, undistorted.data);
        frame.colorDepthMap = colorDepthMap;
        writeKinectFrameFiles(outputDir_, frame);
    }

    void releaseFrame() noexcept override { listener_.release(frames_); }

    // The Kinect v2 streams on until capture.json and "captureCompleted" are written.
    void finishStreaming() override {}

private:
    libfreenect2::Frame* delivered(libfreenect2::Frame::Type type) const
    {
        const auto found = frames_.find(type);
        return found == frames_.end() ? nullptr : found->second;
    }

    libfreenect2::SyncMultiFrameListener& listener_;
    const libfreenect2::Registration& registration_;
    const std::filesystem::path& outputDir_;
    libfreenect2::FrameMap frames_;
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
    // Destroyed in reverse: device (stopped, closed), then registration and listener, the context last.
    libfreenect2::Freenect2 context(nullptr);
    if (context.enumerateDevices() <= 0) {
        return failedDevice("Keine Kinect v2 gefunden.");
    }
    const std::string serial = context.getDefaultDeviceSerialNumber();
    std::unique_ptr<libfreenect2::SyncMultiFrameListener> listener;
    std::unique_ptr<libfreenect2::Registration> registration;
    const OpenedDevice device(context.openDevice(serial, new libfreenect2::CpuPacketPipeline()));
    if (!device) {
        return failedDevice("Kinect konnte nicht geöffnet werden.");
    }
    listener = std::make_unique<libfreenect2::SyncMultiFrameListener>(
        libfreenect2::Frame::Color | libfreenect2::Frame::Ir | libfreenect2::Frame::Depth);
    device->setColorFrameListener(listener.get());
    device->setIrAndDepthFrameListener(listener.get());
    if (!device->start()) {
        return failedDevice("Kinect konnte nicht gestartet werden.");
    }

    const libfreenect2::Freenect2Device::IrCameraParams irParameters = device->getIrCameraParams();
    const libfreenect2::Freenect2Device::ColorCameraParams colorParameters = device->getColorCameraParams();
    registration = std::make_unique<libfreenect2::Registration>(irParameters, colorParameters);
    const libfreenect2::Freenect2Device::IrCameraParams depthCamera = device->getIrCameraParams();

    emitDeviceOpened(CaptureBackend::Kinect, "", serial, durationMs, sampleFps);
    KinectFrameSource source(*listener, *registration, outputDir);
    const CaptureStatistics statistics = runCaptureLoop(source, steadyClock(), durationMs, sampleFps);

    const KinectMetadata metadata{serial, {depthCamera.fx, depthCamera.fy, depthCamera.cx, depthCamera.cy}};
    const std::string metadataFile = writeCaptureJson(outputDir, kinectCaptureJson(statistics, metadata));
    emitCaptureCompleted(CaptureBackend::Kinect, statistics, metadataFile);
    return {std::nullopt, exitCodeFor(statistics)};
}

} // namespace

int runKinectCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps)
{
    // The library's default console logger writes to standard output, which carries only event lines.
    kestrum::routeFreenect2LogToStandardError();
    const KinectRunOutcome outcome = recordKinectSeries(outputDir, durationMs, sampleFps);
    if (outcome.deviceFailure) {
        emitErrorEvent(*outcome.deviceFailure);
    }
    return outcome.exitCode;
}
