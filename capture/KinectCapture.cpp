// Records a test series from a Kinect v2 through libfreenect2.
#include "KinectCapture.h"

#include "CaptureArguments.h"
#include "CaptureLoop.h"
#include "CaptureMetadata.h"
#include "EventLines.h"
#include "KinectCaptureMessages.h"
#include "KinectDeviceClock.h"
#include "KinectFrameKeeper.h"
#include "KinectRegistration.h"
#include "KinectSequence.h"
#include "SeriesSummary.h"
#include "StopSignal.h"

#include <optional>

namespace {

// libfreenect2 gives no host-side timestamps, and exposure and gain only for colour.
StreamTiming streamTiming(const libfreenect2::Frame& frame, KinectDeviceClock& clock, bool carriesExposure)
{
    StreamTiming timing;
    timing.frameNumber = frame.sequence;
    timing.deviceTimestampUs = clock.microseconds(frame.timestamp);
    if (carriesExposure) {
        timing.exposure = frame.exposure;
        timing.gain = frame.gain;
    }
    return timing;
}

// The loop's view of the device: frame sets are registered and written only when kept.
class KinectFrameSource final : public FrameSource {
public:
    KinectFrameSource(KinectFrames& frames, KinectRegistration& registration, const std::filesystem::path& outputDir)
        : frames_(frames), keeper_(registration, outputDir)
    {
    }

    void fetchWarmupFrame() override { frames_.warmupFrame(); }

    bool requestFrame(std::chrono::milliseconds waitLimit) override
    {
        grab_.emplace(frames_, waitLimit);
        return grab_->outcome() != Grab::TimedOut;
    }

    bool frameIsComplete() const override { return grab_->outcome() == Grab::Complete; }

    CameraTiming frameTiming() override
    {
        return {streamTiming(grab_->color(), colorClock_, true), streamTiming(grab_->depth(), depthClock_, false)};
    }

    // The set goes back to the library only after this: keep returns once no worker reads it.
    void keepFrame(int32_t index, int64_t timestampMs) override
    {
        keeper_.keep(grab_->color(), grab_->depth(), index, timestampMs);
    }

    void releaseFrame() noexcept override { grab_.reset(); }

    // The Kinect v2 streams on until capture.json and "captureCompleted" are written.
    void finishStreaming() override {}

private:
    KinectFrames& frames_;
    KinectFrameKeeper keeper_;
    std::optional<KinectGrab> grab_;  // the delivered set, from requestFrame to releaseFrame
    KinectDeviceClock colorClock_;
    KinectDeviceClock depthClock_;
};

// The series, recorded once the device streams; capture.json and "captureCompleted" come before
// the device is stopped.
class KinectRecording final : public KinectSequenceSteps {
public:
    explicit KinectRecording(const CaptureOptions& options) : options_(options) {}

    void stream(const KinectStarted& kinect, KinectFrames& frames) override
    {
        KinectRegistration registration(kinect.depthCamera, kinect.colorCamera);
        emitDeviceOpened(CaptureBackend::Kinect, "", kinect.serial, options_.durationMs, options_.sampleFps);
        KinectFrameSource source(frames, registration, options_.outputDir);
        const CaptureLoopResult loop =
            runCaptureLoop(source, stationClocks(), options_.durationMs, options_.sampleFps, isStopRequested);

        const libfreenect2::Freenect2Device::IrCameraParams& depth = kinect.depthCamera;
        const KinectMetadata metadata{kinect.serial, {depth.fx, depth.fy, depth.cx, depth.cy}};
        writeSeriesSummary(options_.outputDir, CaptureBackend::Kinect, loop.statistics,
                           kinectCaptureJson(loop.statistics, metadata), timingCsvText(loop.timing));
        exitCode_ = exitCodeFor(loop.statistics);
    }

    int exitCode() const { return exitCode_; }

private:
    const CaptureOptions& options_;
    int exitCode_ = 1;
};

} // namespace

int runKinectCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps)
{
    const CaptureOptions options{outputDir, durationMs, sampleFps};
    KinectRecording recording(options);
    // The device is stopped and closed by now, so the error line comes after the library's lines about it.
    switch (runKinectSequence(recording).opening) {
    case KinectOpening::NoDevice:
        emitErrorEvent(kNoKinectMessage);
        return 1;
    case KinectOpening::NotOpened:
        emitErrorEvent(kKinectNotOpenedMessage);
        return 1;
    case KinectOpening::NotStarted:
        emitErrorEvent(kKinectNotStartedMessage);
        return 1;
    case KinectOpening::Started:
        break;
    }
    return recording.exitCode();
}
