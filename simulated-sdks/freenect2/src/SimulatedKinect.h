// One simulated Kinect v2: produces frame sets of the synthetic scene, or of a replayed series, on its own
// thread, in real time, into the listeners the caller attached.
#pragma once

#include "KinectSettings.h"

#include <libfreenect2/libfreenect2.hpp>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrum_sim {

class SimulatedKinect : public libfreenect2::Freenect2Device {
public:
    SimulatedKinect(std::string serial, const KinectSettings& settings,
                    std::unique_ptr<const libfreenect2::PacketPipeline> pipeline);
    ~SimulatedKinect() override;
    SimulatedKinect(const SimulatedKinect&) = delete;
    SimulatedKinect& operator=(const SimulatedKinect&) = delete;

    std::string getSerialNumber() override;
    std::string getFirmwareVersion() override;
    ColorCameraParams getColorCameraParams() override;
    IrCameraParams getIrCameraParams() override;
    void setColorFrameListener(libfreenect2::FrameListener* rgb_frame_listener) override;
    void setIrAndDepthFrameListener(libfreenect2::FrameListener* ir_frame_listener) override;
    bool start() override;
    bool startStreams(bool rgb, bool depth) override;
    bool stop() override;
    bool close() override;

private:
    enum class State { Open, Streaming, Closed };

    // Slot k of the device's clock is due k + 1 frame intervals after the start; the scene shows its frame k.
    void produceFrameSets(libfreenect2::FrameListener* colorListener, libfreenect2::FrameListener* irDepthListener);
    void deliverColor(uint64_t slot, const StreamTiming& timing, libfreenect2::FrameListener* listener);
    void deliverIrAndDepth(uint64_t slot, const StreamTiming& timing, libfreenect2::FrameListener* listener);
    // A decoded frame of the series, to the listeners that are not null.
    void deliverReplayed(const kestrum_sim::ReplayedFrame& recorded, const CameraTiming& timing,
                         libfreenect2::FrameListener* colorListener, libfreenect2::FrameListener* irDepthListener);
    // The sequence numbers, device times, exposure and gain of that slot of the device's clock, made `late`
    // after its time.
    CameraTiming clockTiming(uint64_t slot, std::chrono::duration<double> late) const;
    void stamp(libfreenect2::Frame& frame, libfreenect2::Frame::Format format, const StreamTiming& timing) const;

    const std::string serial_;
    const KinectSettings settings_;
    const DeviceClock clock_;
    const std::unique_ptr<const libfreenect2::PacketPipeline> pipeline_;
    State state_ = State::Open;
    libfreenect2::FrameListener* colorListener_ = nullptr;
    libfreenect2::FrameListener* irDepthListener_ = nullptr;
    libfreenect2::FrameListener* streamingColorListener_ = nullptr;
    libfreenect2::FrameListener* streamingIrDepthListener_ = nullptr;

    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopRequested_ = false;
    std::thread producer_;
    std::vector<float> idealDepth_; // scratch of the producer thread
};

} // namespace kestrum_sim
