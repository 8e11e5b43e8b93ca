// Frameset n (counted from 1) is due n frame periods after the start; a producer
// that falls behind skips ahead rather than bursting.
#include "FramesetStream.h"

#include "ObjectRegistry.h"
#include "ReplayFrames.h"
#include "SceneFrames.h"

#include <string>
#include <vector>

namespace kestrum_sim::orbbec {

namespace {

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
                               std::optional<VideoProfile> depth)
    : settings_(settings),
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

FrameRef FramesetStream::makeFrameset(uint64_t frameNumber) const {
    const bool empty = settings_.emptyDepthEvery != 0 && frameNumber % settings_.emptyDepthEvery == 0;
    std::vector<FrameRef> members;
    if (settings_.replay) {
        // Frameset 1 is the series' first frame; one that does not decode is never delivered.
        const std::optional<ReplayedFrame> recorded = settings_.replay->frame(frameNumber - 1, !depth_);
        if (!recorded) return FrameRef();
        if (color_) members.push_back(replayedColorFrame(frameNumber, *recorded, color_));
        if (depth_) members.push_back(replayedDepthFrame(frameNumber, *recorded, depth_, settings_.depthScale, empty));
    } else {
        if (color_) members.push_back(renderColorFrame(frameNumber, color_));
        if (depth_) members.push_back(renderDepthFrame(frameNumber, depth_, settings_.depthScale, empty));
    }
    if (settings_.mismatchEvery != 0 && frameNumber % settings_.mismatchEvery == 0) {
        for (FrameRef& member : members) mismatch(*const_cast<ob_frame_t*>(member.get()), settings_.mismatch);
    }
    return newFrameset(frameNumber, std::move(members));
}

void FramesetStream::produce() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / settings_.fps));
    auto due = Clock::now() + period;
    for (uint64_t frameNumber = 1; !settings_.frameLimit || frameNumber <= *settings_.frameLimit; ++frameNumber) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (changed_.wait_until(lock, due, [this] { return stopping_; })) return;
        }
        FrameRef frameset = makeFrameset(frameNumber);
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
        due += period;
        const auto now = Clock::now();
        if (due < now) due = now + period;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopping_; });
}

}  // namespace kestrum_sim::orbbec
