// Frameset n (counted from 1) is due n frame periods after the start; a producer
// that falls behind drops the framesets whose time has passed rather than bursting.
// A replayed series with a timing file comes at its recorded times instead.
#include "FramesetStream.h"

#include "ObjectRegistry.h"
#include "ReplayFrames.h"
#include "SceneFrames.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kestrum_sim::orbbec {

namespace {

using Clock = std::chrono::steady_clock;

// What the camera's metadata says: colour exposure in 100 us, depth exposure in us.
constexpr int64_t kColorExposure = 156;
constexpr int64_t kColorGain = 16;
constexpr int64_t kDepthExposure = 3000;
// The depth sensor's exposure ends before the colour sensor's.
constexpr uint64_t kDepthBeforeColorUs = 1000;

uint64_t wallClockUs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

// The frame's number, device timestamp and metadata from the timing given, its host-side times from the host.
void stamp(const FrameRef& frame, const StreamTiming& timing, uint64_t systemTimestampUs, uint64_t globalTimestampUs) {
    auto& stamped = *const_cast<ob_frame_t*>(frame.get());
    stamped.index = timing.frameNumber;
    stamped.timestampUs = timing.deviceTimestampUs;
    stamped.systemTimestampUs = systemTimestampUs;
    stamped.globalTimestampUs = globalTimestampUs;
    stamped.metadata.clear();
    if (timing.exposure) stamped.metadata[OB_FRAME_METADATA_TYPE_EXPOSURE] = std::llround(*timing.exposure);
    if (timing.gain) stamped.metadata[OB_FRAME_METADATA_TYPE_GAIN] = std::llround(*timing.gain);
}

std::shared_ptr<ProfileNode> nodeOf(std::optional<VideoProfile> profile) {
    return profile ? std::make_shared<ProfileNode>(std::move(*profile)) : nullptr;
}

// A replayed series is in the colour camera's geometry already: the identity leaves it there.
std::shared_ptr<const ProfileNode> calibrated(std::shared_ptr<ProfileNode> depth, const std::shared_ptr<const ProfileNode>& color,
                                              bool replay) {
    if (depth && color) bindExtrinsic(*depth, color, replay ? kIdentityExtrinsic : depthToColorExtrinsic());
    return depth;
}

// Makes the frame what a camera or an SDK version may deliver against what the stream asked for: a colour frame
// whose format says RGB, one whose data lack the last row, a depth frame whose value scale is 0.
void mismatch(ob_frame_t& frame, const std::string& kind) {
    if (frame.type == OB_FRAME_COLOR && kind == "color-format") frame.format = OB_FORMAT_RGB;
    if (frame.type == OB_FRAME_COLOR && kind == "color-size") frame.data.resize(frame.data.size() - frame.width * 3);
    if (frame.type == OB_FRAME_DEPTH && kind == "depth-scale") frame.valueScale = 0.0f;
}

}  // namespace

FramesetStream::FramesetStream(const CameraSettings& settings, std::optional<VideoProfile> color,
                               std::optional<VideoProfile> depth, bool globalTimestamp)
    : settings_(settings),
      clock_(settings.clock, settings.fps),
      globalTimestamp_(globalTimestamp),
      color_(nodeOf(std::move(color))),
      depth_(calibrated(nodeOf(std::move(depth)), color_, settings.replay != nullptr)),
      producer_([this] { produce(); }) {}

FramesetStream::~FramesetStream() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    producer_.join();
}

FrameRef FramesetStream::waitForFrameset(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) {
        noteFramesetTimeout();
        return FrameRef();
    }
    FrameRef frameset = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    changed_.notify_all();  // room for a lossless producer
    return frameset;
}

CameraTiming FramesetStream::clockTiming(uint64_t slot, std::chrono::duration<double> late) const {
    const uint64_t deviceUs = clock_.timestampUs(slot, late);
    CameraTiming timing;
    timing.color = {slot + 1, deviceUs, std::nullopt, std::nullopt, kColorExposure, kColorGain};
    timing.depth = {slot + 1, deviceUs - std::min(deviceUs, kDepthBeforeColorUs), std::nullopt, std::nullopt, kDepthExposure,
                    std::nullopt};
    return timing;
}

FrameRef FramesetStream::makeFrameset(uint64_t made, const CameraTiming& timing, uint64_t captureWallClockUs) const {
    // Counted in framesets made, so that a dropped one does not change which are empty or replayed.
    const bool empty = settings_.emptyDepthEvery != 0 && (made + 1) % settings_.emptyDepthEvery == 0;
    const uint64_t frameNumber = timing.color.frameNumber;
    FrameRef color;
    FrameRef depth;
    if (settings_.replay) {
        // One that does not decode is never delivered.
        const std::optional<ReplayedFrame> recorded = settings_.replay->frame(made, !depth_);
        if (!recorded) return FrameRef();
        if (color_) color = replayedColorFrame(frameNumber, *recorded, color_);
        if (depth_) depth = replayedDepthFrame(frameNumber, *recorded, depth_, settings_.depthScale, empty);
    } else {
        if (color_) color = renderColorFrame(frameNumber, color_);
        if (depth_) depth = renderDepthFrame(frameNumber, depth_, settings_.depthScale, empty);
    }
    if (settings_.mismatchEvery != 0 && (made + 1) % settings_.mismatchEvery == 0) {
        for (const FrameRef* member : {&color, &depth}) {
            if (*member) mismatch(*const_cast<ob_frame_t*>(member->get()), settings_.mismatch);
        }
    }
    const uint64_t arrivalUs = wallClockUs();
    const uint64_t globalUs = globalTimestamp_ ? captureWallClockUs : 0;
    std::vector<FrameRef> members;
    if (color) {
        stamp(color, timing.color, arrivalUs, globalUs);
        members.push_back(std::move(color));
    }
    if (depth) {
        const auto apart = static_cast<int64_t>(timing.color.deviceTimestampUs - timing.depth.deviceTimestampUs);
        stamp(depth, timing.depth, arrivalUs, globalUs == 0 ? 0 : globalUs - static_cast<uint64_t>(apart));
        members.push_back(std::move(depth));
    }
    return newFrameset(frameNumber, std::move(members));
}

void FramesetStream::produce() {
    const auto start = Clock::now();
    const uint64_t wallStartUs = wallClockUs();
    const RecordedTimeline* recorded = settings_.replay && settings_.replay->timeline() ? &*settings_.replay->timeline() : nullptr;
    uint64_t slot = 0;
    for (uint64_t made = 0; !settings_.frameLimit || made < *settings_.frameLimit; ++made) {
        const std::chrono::duration<double> sinceStart = dueAfterStart(clock_, recorded, slot, made);
        const auto due = start + std::chrono::duration_cast<Clock::duration>(sinceStart);
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (changed_.wait_until(lock, due, [this] { return stopping_; })) return;
        }
        // A camera held up by a lossless reader makes the frameset now, and its clock says so.
        const auto late = settings_.lossless ? Clock::now() - due : Clock::duration();
        const auto captureWallClockUs = wallStartUs + static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(sinceStart + late).count());
        FrameRef frameset = makeFrameset(made, recorded ? recorded->at(made).camera : clockTiming(slot, late), captureWallClockUs);
        if (frameset) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (settings_.lossless) {
                changed_.wait(lock, [this] { return stopping_ || queue_.size() < kQueueCapacity; });
                if (stopping_) return;
            }
            if (queue_.size() == kQueueCapacity) queue_.pop_front();
            queue_.push_back(std::move(frameset));
        }
        changed_.notify_all();
        // A camera held up by a slow reader loses nothing with lossless=yes.
        slot = settings_.lossless ? slot + 1 : nextSlot(slot, Clock::now() - start, clock_.period());
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopping_; });
}

}  // namespace kestrum_sim::orbbec
