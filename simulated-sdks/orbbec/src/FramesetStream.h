// The simulated camera streaming: framesets made on a thread of their own at the
// camera's rate, queued for the pipeline's waits.
#pragma once

#include "CameraSettings.h"
#include "Frames.h"
#include "ProfileNode.h"
#include "StreamProfiles.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kestrum_sim::orbbec {

class FramesetStream {
public:
    // The frames refer to profiles of their own, the depth one bound to the colour one as calibrated.
    // With globalTimestamp their capture moment on the host's clock is given too.
    FramesetStream(const CameraSettings& settings, std::optional<VideoProfile> color, std::optional<VideoProfile> depth,
                   bool globalTimestamp);
    // Stops the thread and drops the framesets nobody took.
    ~FramesetStream();
    FramesetStream(const FramesetStream&) = delete;
    FramesetStream& operator=(const FramesetStream&) = delete;

    // The oldest queued frameset, or none when nothing came within the timeout.
    FrameRef waitForFrameset(std::chrono::milliseconds timeout);

private:
    // As in the real SDK's default configuration, the oldest frameset goes when a new one finds the queue
    // full; with lossless=yes the new one waits instead.
    static constexpr size_t kQueueCapacity = 10;

    void produce();
    // The frame numbers, device timestamps and metadata of that slot of the camera's clock, made `late`
    // after its time.
    CameraTiming clockTiming(uint64_t slot, std::chrono::duration<double> late) const;
    // The frameset after `made` others, with that timing, captured at captureWallClockUs on the host's wall
    // clock (its global timestamp, where enabled).
    FrameRef makeFrameset(uint64_t made, const CameraTiming& timing, uint64_t captureWallClockUs) const;

    const CameraSettings settings_;
    const DeviceClock clock_;
    const bool globalTimestamp_;
    const std::shared_ptr<const ProfileNode> color_;
    const std::shared_ptr<const ProfileNode> depth_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<FrameRef> queue_;
    bool stopping_ = false;
    std::thread producer_;
};

}  // namespace kestrum_sim::orbbec
