// OrbbecCamera on the Orbbec SDK v2 C++ interface; builds unchanged against the
// real SDK and against the simulated one.
#include "OrbbecCamera.h"

#include "OrbbecAlignment.h"
#include "OrbbecFrameImages.h"
#include "OrbbecSdkLog.h"

#include <libobsensor/ObSensor.hpp>

#include <stdexcept>
#include <string>

namespace {

const char* const kCannotOpenMessage = "Orbbec-Kamera konnte nicht geöffnet werden.";
const char* const kNoColorProfileMessage = "Color 1280x720 BGR @30 nicht verfügbar.";
const char* const kNoDepthProfileMessage = "Depth 1280x720 Y16 @30 nicht verfügbar.";
const char* const kNotRgbdModeMessage = "Kamera wurde nicht im RGBD-Modus geöffnet.";
const char* const kNotStartedMessage = "Orbbec-Kamera ist nicht gestartet.";
const char* const kColorTimeoutMessage = "Timeout beim Warten auf Orbbec-Color-Frame.";
const char* const kRgbdTimeoutMessage = "Timeout beim Warten auf Orbbec-RGBD-Frame.";
const char* const kColorFrameMissingMessage = "Orbbec-Color-Frame fehlt.";
const char* const kAlignerMissingMessage = "Orbbec-D2C-Aligner fehlt.";

std::string textOrEmpty(const char* text)
{
    return text ? std::string(text) : std::string();
}

// The next frameset; OrbbecFrameTimeout when none comes in time, with the SDK's own words when it
// reports the time-out as an error.
std::shared_ptr<ob::FrameSet> nextFrameset(const ob::Pipeline& pipeline, uint32_t timeoutMs,
                                           const char* timeoutMessage)
{
    std::shared_ptr<ob::FrameSet> frameset;
    try {
        frameset = pipeline.waitForFrameset(timeoutMs);
    }
    catch (const ob::Error& error) {
        if (error.getStatus() == OB_ERROR_WAIT_TIMEOUT) throw OrbbecFrameTimeout(error.what());
        throw;
    }
    if (!frameset) throw OrbbecFrameTimeout(timeoutMessage);
    return frameset;
}

// Where the device can, each frame also carries its capture moment on the host's clock.
void enableGlobalTimestamp(ob::Device& device)
{
    try {
        if (device.isGlobalTimestampSupported()) device.enableGlobalTimestamp(true);
    }
    catch (const ob::Error&) {
        // A device that cannot is used all the same: its frames carry no global timestamps.
    }
}

} // namespace

// Destroyed in reverse declaration order, which is the SDK's release order:
// filter, configuration, pipeline, device, context, then the texts.
struct OrbbecCamera::State {
    Mode mode = Mode::Color;
    OrbbecDeviceInfo deviceInfo;
    OrbbecIntrinsics intrinsics;
    std::unique_ptr<ob::Context> context;
    std::shared_ptr<ob::Device> device;
    std::shared_ptr<ob::Pipeline> pipeline;
    std::shared_ptr<ob::Config> config;
    std::unique_ptr<OrbbecAlignment> alignFilter;
    bool started = false;
    bool frameSyncEnabled = false;

    bool isRgbd() const { return mode == Mode::Rgbd; }
};

namespace {

std::shared_ptr<ob::VideoStreamProfile> findStreamProfile(const ob::Pipeline& pipeline, OBSensorType sensor,
                                                          OBFormat format)
{
    const std::shared_ptr<ob::StreamProfileList> profiles = pipeline.getStreamProfileList(sensor);
    return profiles->getVideoStreamProfile(kOrbbecStreamWidth, kOrbbecStreamHeight, format, kOrbbecStreamFps);
}

} // namespace

// When a step fails, state_ is destroyed as the exception leaves and releases everything created so far.
OrbbecCamera::OrbbecCamera(Mode mode) : state_(std::make_unique<State>())
{
    State& state = *state_;
    state.mode = mode;

    setUpOrbbecSdkLog();

    state.context = std::make_unique<ob::Context>("");
    const std::shared_ptr<ob::DeviceList> devices = state.context->queryDeviceList();
    if (devices->getCount() == 0) throw NoOrbbecCamera();
    state.device = devices->getDevice(0, OB_DEVICE_DEFAULT_ACCESS);
    if (!state.device || !state.device->getImpl()) throw std::runtime_error(kCannotOpenMessage);

    const std::shared_ptr<ob::DeviceInfo> info = state.device->getDeviceInfo();
    state.deviceInfo.name = textOrEmpty(info->getName());
    state.deviceInfo.serialNumber = textOrEmpty(info->getSerialNumber());
    state.deviceInfo.firmwareVersion = textOrEmpty(info->getFirmwareVersion());
    state.deviceInfo.connectionType = textOrEmpty(info->getConnectionType());

    state.pipeline = std::make_shared<ob::Pipeline>(state.device);
    state.config = std::make_shared<ob::Config>();
}

OrbbecCamera::~OrbbecCamera()
{
    if (state_ && state_->started) {
        try {
            state_->pipeline->stop();
            state_->started = false;
        }
        catch (...) {
            // A destructor must not throw; the pipeline is released right after anyway.
        }
    }
}

void OrbbecCamera::start()
{
    State& state = *state_;
    if (state.started) return;

    {
        const std::shared_ptr<ob::VideoStreamProfile> color =
            findStreamProfile(*state.pipeline, OB_SENSOR_COLOR, OB_FORMAT_BGR);
        if (!color) throw std::runtime_error(kNoColorProfileMessage);
        state.config->enableStream(color);
        const OBCameraIntrinsic intrinsic = color->getIntrinsic();
        state.intrinsics = {intrinsic.fx, intrinsic.fy, intrinsic.cx, intrinsic.cy, intrinsic.width, intrinsic.height};
    }

    if (state.isRgbd()) {
        {
            const std::shared_ptr<ob::VideoStreamProfile> depth =
                findStreamProfile(*state.pipeline, OB_SENSOR_DEPTH, OB_FORMAT_Y16);
            if (!depth) throw std::runtime_error(kNoDepthProfileMessage);
            state.config->enableStream(depth);
        }
        // Alignment is the filter's job, not the pipeline's.
        state.config->setAlignMode(ALIGN_DISABLE);
        state.config->setFrameAggregateOutputMode(OB_FRAME_AGGREGATE_OUTPUT_ALL_TYPE_FRAME_REQUIRE);
        try {
            state.pipeline->enableFrameSync();
            state.frameSyncEnabled = true;
        }
        catch (const ob::Error&) {
            // Cameras that cannot synchronise still deliver usable framesets.
            state.frameSyncEnabled = false;
        }
        // reset() deletes the filter of an earlier start only once the new one is in place.
        state.alignFilter.reset(new OrbbecAlignment);
        enableGlobalTimestamp(*state.device);
    }

    state.pipeline->start(state.config);
    state.started = true;
}

void OrbbecCamera::stop()
{
    State& state = *state_;
    if (!state.started) return;
    state.pipeline->stop();
    state.started = false;
}

cv::Mat OrbbecCamera::grabColor(uint32_t timeoutMs)
{
    const State& state = *state_;
    if (!state.started) throw std::runtime_error(kNotStartedMessage);

    const std::shared_ptr<ob::FrameSet> frameset = nextFrameset(*state.pipeline, timeoutMs, kColorTimeoutMessage);
    const std::shared_ptr<ob::Frame> frame = frameset->getFrame(OB_FRAME_COLOR);
    if (!frame) throw std::runtime_error(kColorFrameMissingMessage);
    return colorImageOf(*frame->as<ob::ColorFrame>());
}

OrbbecRgbdFrame OrbbecCamera::grabAlignedRgbd(uint32_t timeoutMs)
{
    const State& state = *state_;
    if (!state.isRgbd()) throw std::runtime_error(kNotRgbdModeMessage);
    if (!state.started) throw std::runtime_error(kNotStartedMessage);

    const std::shared_ptr<ob::FrameSet> frameset = nextFrameset(*state.pipeline, timeoutMs, kRgbdTimeoutMessage);
    if (!state.alignFilter) throw std::runtime_error(kAlignerMissingMessage);
    return state.alignFilter->apply(frameset);
}

const OrbbecDeviceInfo& OrbbecCamera::deviceInfo() const
{
    return state_->deviceInfo;
}

const OrbbecIntrinsics& OrbbecCamera::intrinsics() const
{
    return state_->intrinsics;
}

bool OrbbecCamera::isStarted() const
{
    return state_->started;
}

bool OrbbecCamera::frameSyncEnabled() const
{
    return state_->frameSyncEnabled;
}
