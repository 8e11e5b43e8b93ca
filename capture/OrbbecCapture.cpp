// Records a test series from an Orbbec camera, with depth aligned to the colour image.
#include "OrbbecCapture.h"

#include "CaptureLoop.h"
#include "CaptureMetadata.h"
#include "EventLines.h"
#include "OrbbecCamera.h"
#include "OrbbecFrameKeeper.h"
#include "OutputDirectories.h"
#include "SeriesSummary.h"
#include "StopSignal.h"

#include <memory>
#include <string>

namespace {

// The camera, or nothing when none is attached; every other failure passes on,
// so an attached camera that fails never leads to the Kinect v2.
std::unique_ptr<OrbbecCamera> openAttachedCamera()
{
    try {
        return std::make_unique<OrbbecCamera>(OrbbecCamera::Mode::Rgbd);
    } catch (const std::exception& error) {
        if (std::string(error.what()) == kNoOrbbecCameraMessage) {
            return nullptr;
        }
        throw;
    }
}

// The loop's view of the camera: each request is one aligned grab, whose
// images the loop owns until the next request.
class OrbbecFrameSource final : public FrameSource {
public:
    OrbbecFrameSource(OrbbecCamera& camera, const std::filesystem::path& outputDir) : camera_(camera), keeper_(outputDir) {}

    // A time-out here is not forgiven: it ends the run with the camera's message.
    void fetchWarmupFrame() override { camera_.grabAlignedRgbd(kOrbbecWarmupWaitMs); }

    bool requestFrame(std::chrono::milliseconds waitLimit) override
    {
        try {
            frame_ = camera_.grabAlignedRgbd(static_cast<uint32_t>(waitLimit.count()));
            return true;
        } catch (const std::exception& error) {
            // Any failure that speaks of a time-out counts as a missing frame.
            if (std::string(error.what()).find("Timeout") != std::string::npos) {
                return false;
            }
            throw;
        }
    }

    bool frameIsComplete() const override { return !frame_.color.empty() && !frame_.depth.empty(); }

    void keepFrame(int32_t index, int64_t timestampMs) override
    {
        keptDepthScale_ = frame_.depthScale;
        keeper_.keep(frame_, index, timestampMs);
    }

    void releaseFrame() noexcept override { frame_ = OrbbecRgbdFrame{}; }

    void finishStreaming() override { camera_.stop(); }

    float keptDepthScale() const { return keptDepthScale_; }

private:
    OrbbecCamera& camera_;
    OrbbecFrameKeeper keeper_;
    OrbbecRgbdFrame frame_;
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

} // namespace

std::optional<int> runOrbbecCapture(const std::filesystem::path& outputDir, int32_t durationMs, int32_t sampleFps)
{
    const std::unique_ptr<OrbbecCamera> camera = openAttachedCamera();
    if (!camera) {
        return std::nullopt;
    }
    for (const char* name : {kColorDir, kColorFullDir, kDepthDir, kDepthRawDir}) {
        std::filesystem::create_directories(outputDir / name);
    }
    camera->start();
    const OrbbecDeviceInfo& info = camera->deviceInfo();
    emitDeviceOpened(CaptureBackend::Orbbec, info.name, info.serialNumber, durationMs, sampleFps);

    OrbbecFrameSource source(*camera, outputDir);
    const CaptureStatistics statistics = runCaptureLoop(source, steadyClock(), durationMs, sampleFps, isStopRequested);

    writeSeriesSummary(outputDir, CaptureBackend::Orbbec, statistics,
                       orbbecCaptureJson(statistics, describe(*camera, source.keptDepthScale())));
    return exitCodeFor(statistics);
}
