// The simulated Kinect v2 device: lifecycle, log lines and the frame producer thread.
#include "SimulatedKinect.h"

#include "DeviceFrame.h"
#include "KinectOptics.h"
#include "LibraryLog.h"
#include "SimulationRecord.h"

#include "kestrum_sim/Scene.h"

#include <libfreenect2/frame_listener_impl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <optional>

namespace kestrum_sim {
namespace {

using libfreenect2::Frame;
using libfreenect2::FrameListener;
using libfreenect2::Logger;

constexpr const char* kOrigin = "Freenect2DeviceImpl";
// Scales 1/z^2 into the IR range of a real sensor (a few thousand at 2.5 m).
constexpr float kIrBrightnessMm2 = 2.0e10f;
constexpr uint64_t kDepthBeforeColorUs = 4000;   // a depth frame ends a little sooner than its set's colour frame
constexpr float kColorExposure = 12.0f;
constexpr float kColorGain = 1.0f;

void logInfo(const std::string& text) { logLibraryMessage(Logger::Info, kOrigin, text); }

// The listener either takes the frame or leaves it to the device, which then deletes it.
void offer(FrameListener* listener, Frame::Type type, std::unique_ptr<Frame> frame)
{
    if (listener->onNewFrame(type, frame.get())) frame.release();
}

bool holdsASet(FrameListener* listener)
{
    const auto* sync = dynamic_cast<const libfreenect2::SyncMultiFrameListener*>(listener);
    return sync != nullptr && sync->hasNewFrame();
}

// Whether a lossless camera must hold its next set back: while a listener still holds one, and until
// a reader waits for one, so that a set is made when it is taken and arrives no later than a real
// device's newest. A listener of another kind cannot say, and holds nothing back.
bool holdsBack(FrameListener* colorListener, FrameListener* irDepthListener)
{
    if (holdsASet(colorListener) || holdsASet(irDepthListener)) return true;
    bool anySync = false;
    for (FrameListener* listener : {colorListener, irDepthListener}) {
        if (!dynamic_cast<const libfreenect2::SyncMultiFrameListener*>(listener)) continue;
        if (kestrum_sim::readerWaitsOn(listener)) return false;
        anySync = true;
    }
    return anySync;
}

float irOf(float depthMm) { return depthMm > 0.0f ? kIrBrightnessMm2 / (depthMm * depthMm) : 0.0f; }

bool skipsSet(long every, uint64_t setNumber) { return every > 0 && setNumber % every == 0; }

PinholeView irView(const libfreenect2::Freenect2Device::IrCameraParams& ir)
{
    return {ir.fx, ir.fy, ir.cx, ir.cy, kKinectDepthWidth, kKinectDepthHeight, 0.0};
}

PinholeView colorView(const libfreenect2::Freenect2Device::ColorCameraParams& color)
{
    return {color.fx, color.fy, color.cx, color.cy, kKinectColorWidth, kKinectColorHeight, color.shift_m};
}

const std::vector<int>& idealPixelOfRawPixel()
{
    static const std::vector<int> table = undistortedPixelOfRawPixel(factoryIrCameraParams());
    return table;
}

} // namespace

SimulatedKinect::SimulatedKinect(std::string serial, const KinectSettings& settings,
                                 std::unique_ptr<const libfreenect2::PacketPipeline> pipeline)
    : serial_(std::move(serial)), settings_(settings), clock_(settings.clock, settings.fps), pipeline_(std::move(pipeline))
{
    // Built here rather than on the first frame, so the first frame set is not late.
    idealPixelOfRawPixel();
    logInfo("opening...");
    logInfo("opened");
    recordFreenect2Event("open");
}

SimulatedKinect::~SimulatedKinect()
{
    close();
    recordFreenect2Event("device-deleted");
}

std::string SimulatedKinect::getSerialNumber() { return serial_; }
std::string SimulatedKinect::getFirmwareVersion() { return "4.3.3916.0.7 (simulated)"; }
SimulatedKinect::ColorCameraParams SimulatedKinect::getColorCameraParams() { return factoryColorCameraParams(); }

SimulatedKinect::IrCameraParams SimulatedKinect::getIrCameraParams()
{
    if (!settings_.replay) return factoryIrCameraParams();
    // The recorded depth is undistorted already: a lens without distortion leaves it as it is.
    const CameraIntrinsics& recorded = settings_.replay->description().intrinsics;
    IrCameraParams ir{};
    ir.fx = static_cast<float>(recorded.fx);
    ir.fy = static_cast<float>(recorded.fy);
    ir.cx = static_cast<float>(recorded.cx);
    ir.cy = static_cast<float>(recorded.cy);
    return ir;
}

void SimulatedKinect::setColorFrameListener(FrameListener* rgb_frame_listener) { colorListener_ = rgb_frame_listener; }

void SimulatedKinect::setIrAndDepthFrameListener(FrameListener* ir_frame_listener)
{
    irDepthListener_ = ir_frame_listener;
}

bool SimulatedKinect::start() { return startStreams(true, true); }

bool SimulatedKinect::startStreams(bool rgb, bool depth)
{
    logInfo("starting...");
    if (state_ != State::Open) {
        recordFreenect2Event("start-failed");
        return false;
    }
    if (settings_.failStart) {
        logLibraryMessage(Logger::Error, kOrigin, "failed to start streams (KESTRUM_SIM_KINECT fail=start)");
        recordFreenect2Event("start-failed");
        return false;
    }
    streamingColorListener_ = rgb ? colorListener_ : nullptr;
    streamingIrDepthListener_ = depth ? irDepthListener_ : nullptr;
    if (rgb) logInfo("submitting rgb transfers...");
    if (depth) logInfo("submitting depth transfers...");
    addStreamingListener(streamingColorListener_);
    addStreamingListener(streamingIrDepthListener_);
    stopRequested_ = false;
    producer_ =
        std::thread(&SimulatedKinect::produceFrameSets, this, streamingColorListener_, streamingIrDepthListener_);
    state_ = State::Streaming;
    recordFreenect2Event("start");
    logInfo("started");
    return true;
}

bool SimulatedKinect::stop()
{
    logInfo("stopping...");
    recordFreenect2Event("stop");
    if (state_ != State::Streaming) {
        logInfo("already stopped, doing nothing");
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stopRequested_ = true;
    }
    stopSignal_.notify_all();
    producer_.join();
    if (streamingColorListener_) logInfo("canceling rgb transfers...");
    if (streamingIrDepthListener_) logInfo("canceling depth transfers...");
    removeStreamingListener(streamingColorListener_);
    removeStreamingListener(streamingIrDepthListener_);
    state_ = State::Open;
    logInfo("stopped");
    return true;
}

bool SimulatedKinect::close()
{
    logInfo("closing...");
    recordFreenect2Event("close");
    if (state_ == State::Closed) {
        logInfo("already closed, doing nothing");
        return true;
    }
    if (state_ == State::Streaming) stop();
    colorListener_ = nullptr;
    irDepthListener_ = nullptr;
    state_ = State::Closed;
    logInfo("closed");
    return true;
}

void SimulatedKinect::produceFrameSets(FrameListener* colorListener, FrameListener* irDepthListener)
{
    const auto started = std::chrono::steady_clock::now();
    const RecordedTimeline* recorded = settings_.replay && settings_.replay->timeline() ? &*settings_.replay->timeline() : nullptr;
    uint64_t slot = 0;
    // How late a lossless replaying camera made its sets, held up by its reader or its own decoding: the
    // recording plays on from where it was held, on its device clocks too.
    std::chrono::duration<double> replayHeldUp{};
    for (uint64_t made = 0;; ++made) {
        const bool exhausted = settings_.frameLimit >= 0 && made >= static_cast<uint64_t>(settings_.frameLimit);
        const std::chrono::duration<double> sinceStart = replayHeldUp + dueAfterStart(clock_, recorded, slot, made);
        const auto due = started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(sinceStart);
        {
            std::unique_lock<std::mutex> lock(stopMutex_);
            if (exhausted) {
                stopSignal_.wait(lock, [&] { return stopRequested_; });
                return;
            }
            if (stopSignal_.wait_until(lock, due, [&] { return stopRequested_; })) return;
            // A real device overwrites sets a slow reader has not taken; lossless=yes makes runs exact.
            while (settings_.lossless && holdsBack(colorListener, irDepthListener)) {
                if (stopSignal_.wait_for(lock, std::chrono::milliseconds(1), [&] { return stopRequested_; })) return;
            }
        }
        // Counted in sets made, so that a dropped one does not change which sets lack a part or are replayed.
        const uint64_t setNumber = made + 1;
        FrameListener* const color = colorListener && !skipsSet(settings_.noColorEvery, setNumber) ? colorListener : nullptr;
        FrameListener* const irAndDepth =
            irDepthListener && !skipsSet(settings_.noDepthEvery, setNumber) ? irDepthListener : nullptr;
        // Decoded as it is delivered; a frame that does not decode is a frame set that never comes.
        std::optional<ReplayedFrame> replayed;
        if (settings_.replay && (color || irAndDepth)) replayed = settings_.replay->frame(made, irAndDepth == nullptr);
        // A camera held up by a lossless reader makes the set now, and its clock says so.
        const std::chrono::duration<double> late =
            settings_.lossless ? std::chrono::steady_clock::now() - due : std::chrono::duration<double>();
        CameraTiming timing;
        if (recorded) {
            replayHeldUp += std::max(late, std::chrono::duration<double>());
            timing = recorded->at(made).camera;
            const auto heldUpUs = static_cast<uint64_t>(std::chrono::duration<double, std::micro>(replayHeldUp).count());
            timing.color.deviceTimestampUs += heldUpUs;
            timing.depth.deviceTimestampUs += heldUpUs;
        } else {
            timing = clockTiming(slot, late);
        }
        if (replayed) {
            deliverReplayed(*replayed, timing, color, irAndDepth);
        } else if (!settings_.replay) {
            if (color) deliverColor(slot, timing.color, color);
            if (irAndDepth) deliverIrAndDepth(slot, timing.depth, irAndDepth);
        }
        slot = settings_.lossless ? slot + 1 : nextSlot(slot, std::chrono::steady_clock::now() - started, clock_.period());
    }
}

void SimulatedKinect::deliverColor(uint64_t slot, const StreamTiming& timing, FrameListener* listener)
{
    auto frame = std::make_unique<DeviceFrame>(kKinectColorWidth, kKinectColorHeight, 4);
    renderColor(slot, colorView(factoryColorCameraParams()), frame->data, 4);
    stamp(*frame, Frame::BGRX, timing);
    offer(listener, Frame::Color, std::move(frame));
}

void SimulatedKinect::deliverReplayed(const ReplayedFrame& recorded, const CameraTiming& timing,
                                      FrameListener* colorListener, FrameListener* irDepthListener)
{
    if (colorListener) {
        auto frame = std::make_unique<DeviceFrame>(kKinectColorWidth, kKinectColorHeight, 4);
        for (size_t i = 0; i < recorded.fullColor.total(); ++i) {
            std::memcpy(frame->data + i * 4, recorded.fullColor.data + i * 3, 3);
            frame->data[i * 4 + 3] = 0;
        }
        stamp(*frame, Frame::BGRX, timing.color);
        offer(colorListener, Frame::Color, std::move(frame));
    }
    if (irDepthListener) {
        auto depth = std::make_unique<ReplayedDepthFrame>(recorded.registeredColor, recorded.colorDepthMap);
        auto ir = std::make_unique<DeviceFrame>(kKinectDepthWidth, kKinectDepthHeight, 4);
        float* depthMm = reinterpret_cast<float*>(depth->data);
        float* irValues = reinterpret_cast<float*>(ir->data);
        const uint16_t* millimetres = recorded.depthMm.ptr<uint16_t>();
        for (size_t i = 0; i < recorded.depthMm.total(); ++i) {
            depthMm[i] = millimetres[i];
            irValues[i] = irOf(depthMm[i]);
        }
        stamp(*ir, Frame::Float, timing.depth);
        stamp(*depth, Frame::Float, timing.depth);
        offer(irDepthListener, Frame::Ir, std::move(ir));
        offer(irDepthListener, Frame::Depth, std::move(depth));
    }
}

CameraTiming SimulatedKinect::clockTiming(uint64_t slot, std::chrono::duration<double> late) const
{
    const uint64_t deviceUs = clock_.timestampUs(slot, late);
    CameraTiming timing;
    timing.color = {slot, deviceUs, std::nullopt, std::nullopt, kColorExposure, kColorGain};
    timing.depth = {slot, deviceUs - std::min(deviceUs, kDepthBeforeColorUs), std::nullopt, std::nullopt, std::nullopt,
                    std::nullopt};
    return timing;
}

// The device counts its sequence and its time, in 0.125 ms, on 32-bit counters that wrap.
void SimulatedKinect::stamp(Frame& frame, Frame::Format format, const StreamTiming& timing) const
{
    frame.format = format;
    frame.sequence = static_cast<uint32_t>(timing.frameNumber);
    frame.timestamp = static_cast<uint32_t>(std::llround(static_cast<double>(timing.deviceTimestampUs) / 125.0));
    if (format == Frame::BGRX) {
        frame.exposure = static_cast<float>(timing.exposure.value_or(0.0));
        frame.gain = static_cast<float>(timing.gain.value_or(0.0));
        frame.gamma = 1.0f;
    }
}

// The sensor sees the scene through its lens: each raw pixel takes the ideal
// pinhole depth of the ray it receives, so undistortion has real work to do.
void SimulatedKinect::deliverIrAndDepth(uint64_t slot, const StreamTiming& timing, FrameListener* listener)
{
    const size_t pixelCount = static_cast<size_t>(kKinectDepthWidth) * kKinectDepthHeight;
    idealDepth_.resize(pixelCount);
    renderDepthMm(slot, irView(factoryIrCameraParams()), idealDepth_.data());

    auto depth = std::make_unique<DeviceFrame>(kKinectDepthWidth, kKinectDepthHeight, 4);
    auto ir = std::make_unique<DeviceFrame>(kKinectDepthWidth, kKinectDepthHeight, 4);
    float* depthMm = reinterpret_cast<float*>(depth->data);
    float* irValues = reinterpret_cast<float*>(ir->data);
    const std::vector<int>& idealPixel = idealPixelOfRawPixel();
    for (size_t i = 0; i < pixelCount; ++i) {
        const float z = idealPixel[i] >= 0 ? idealDepth_[idealPixel[i]] : 0.0f;
        depthMm[i] = z;
        irValues[i] = irOf(z);
    }
    stamp(*ir, Frame::Float, timing);
    stamp(*depth, Frame::Float, timing);
    offer(listener, Frame::Ir, std::move(ir));
    offer(listener, Frame::Depth, std::move(depth));
}

} // namespace kestrum_sim
