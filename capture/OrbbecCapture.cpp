// Records a test series from an Orbbec camera, with depth aligned to the colour image.
#include "OrbbecCapture.h"

#include "CaptureArguments.h"
#include "CaptureLoop.h"
#include "CaptureMetadata.h"
#include "EventLines.h"
#include "OrbbecFrameKeeper.h"
#include "OrbbecSequence.h"
#include "OutputDirectories.h"
#include "SeriesSummary.h"
#include "StopSignal.h"

namespace {

// The SDK says 0 for a timestamp it does not give.
std::optional<uint64_t> givenTimestamp(uint64_t timestampUs)
{
    return timestampUs == 0 ? std::nullopt : std::optional<uint64_t>(timestampUs);
}

std::optional<double> givenValue(const std::optional<int64_t>& value)
{
    return value ? std::optional<double>(static_cast<double>(*value)) : std::nullopt;
}

StreamTiming streamTiming(const OrbbecFrameStamp& stamp)
{
    return {stamp.index,
            stamp.timestampUs,
            givenTimestamp(stamp.systemTimestampUs),
            givenTimestamp(stamp.globalTimestampUs),
            givenValue(stamp.exposure),
            givenValue(stamp.gain)};
}

// The loop's view of the camera: each request is one aligned grab, whose
// images the loop owns until the next request.
class OrbbecFrameSource final : public FrameSource {
public:
    OrbbecFrameSource(OrbbecFrames& frames, const std::filesystem::path& outputDir) : frames_(frames), keeper_(outputDir) {}

    void fetchWarmupFrame() override { frames_.warmupFrame(); }

    bool requestFrame(std::chrono::milliseconds waitLimit) override
    {
        grab_ = frames_.grab(waitLimit);
        return grab_.outcome != Grab::TimedOut;
    }

    bool frameIsComplete() const override { return grab_.outcome == Grab::Complete; }

    CameraTiming frameTiming() override
    {
        return {streamTiming(grab_.frame.colorStamp), streamTiming(grab_.frame.depthStamp)};
    }

    void keepFrame(int32_t index, int64_t timestampMs) override
    {
        keptDepthScale_ = grab_.frame.depthScale;
        keeper_.keep(grab_.frame, index, timestampMs);
    }

    void releaseFrame() noexcept override { grab_ = OrbbecGrab{}; }

    // The end time is read once the camera has stopped.
    void finishStreaming() override { frames_.stop(); }

    float keptDepthScale() const { return keptDepthScale_; }

private:
    OrbbecFrames& frames_;
    OrbbecFrameKeeper keeper_;
    OrbbecGrab grab_;
    float keptDepthScale_ = 1.0f;
};

OrbbecMetadata describe(const OrbbecCamera& camera, float depthScale)
{
    const OrbbecDeviceInfo& info = camera.deviceInfo();
    const OrbbecIntrinsics& intrinsics = camera.intrinsics();
    OrbbecMetadata metadata;
    metadata.device = info.name;
    metadata.serial = info.serialNumber;
    metadata.firmware = info.firmwareVersion;
    metadata.connection = info.connectionType;
    metadata.width = intrinsics.width;
    metadata.height = intrinsics.height;
    metadata.colorCamera = {intrinsics.fx, intrinsics.fy, intrinsics.cx, intrinsics.cy};
    metadata.depthScale = depthScale;
    metadata.frameSync = camera.frameSyncEnabled();
    return metadata;
}

class OrbbecRecording final : public OrbbecSequenceSteps {
public:
    explicit OrbbecRecording(const CaptureOptions& options) : options_(options) {}

    void opened(const OrbbecCamera&) override
    {
        for (const char* name : {kColorDir, kColorFullDir, kDepthDir, kDepthRawDir}) {
            std::filesystem::create_directories(options_.outputDir / name);
        }
    }

    void started(const OrbbecCamera& camera) override
    {
        const OrbbecDeviceInfo& info = camera.deviceInfo();
        emitDeviceOpened(CaptureBackend::Orbbec, info.name, info.serialNumber, options_.durationMs, options_.sampleFps);
    }

    void stream(OrbbecFrames& frames) override
    {
        OrbbecFrameSource source(frames, options_.outputDir);
        const CaptureLoopResult loop =
            runCaptureLoop(source, stationClocks(), options_.durationMs, options_.sampleFps, isStopRequested);
        writeSeriesSummary(options_.outputDir, CaptureBackend::Orbbec, loop.statistics,
                           orbbecCaptureJson(loop.statistics, describe(frames.camera(), source.keptDepthScale())),
                           timingCsvText(loop.timing));
        exitCode_ = exitCodeFor(loop.statistics);
    }

    int exitCode() const { return exitCode_; }

private:
    const CaptureOptions& options_;
    int exitCode_ = 1;
};

} // namespace

std::optional<int> runOrbbecCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps)
{
    const CaptureOptions options{outputDir, durationMs, sampleFps};
    OrbbecRecording recording(options);
    if (!runOrbbecSequence(recording)) {
        return std::nullopt;
    }
    return recording.exitCode();
}
