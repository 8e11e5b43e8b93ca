// The recorded times of a replayed series that has a timing file.
#include "kestrum_sim/RecordedTimeline.h"

#include <algorithm>

namespace kestrum_sim {
namespace {

// A stream's values in a later lap: numbers continue after the last one, device time after the last
// frame's and the gap.
void continueStream(StreamTiming& stream, const StreamTiming& first, const StreamTiming& last, uint64_t lap,
                    int64_t lapGapUs)
{
    stream.frameNumber += lap * (last.frameNumber - first.frameNumber + 1);
    stream.deviceTimestampUs += lap * (last.deviceTimestampUs - first.deviceTimestampUs + static_cast<uint64_t>(lapGapUs));
}

} // namespace

RecordedTimeline::RecordedTimeline(std::vector<FrameTiming> frames, int64_t lapGapUs)
    : frames_(std::move(frames)), lapGapUs_(lapGapUs)
{
    int64_t latest = 0;
    for (const FrameTiming& frame : frames_) {
        latest = std::max(latest, frame.hostMonotonicUs - frames_.front().hostMonotonicUs);
        sinceFirstUs_.push_back(latest);
    }
}

RecordedTimeline::Delivery RecordedTimeline::at(uint64_t made) const
{
    const uint64_t count = frames_.size();
    const uint64_t lap = made / count;
    const uint64_t frame = made % count;
    const auto lapUs = static_cast<uint64_t>(sinceFirstUs_.back() + lapGapUs_);
    Delivery delivery{frame, std::chrono::microseconds(static_cast<int64_t>(sinceFirstUs_[frame] + lap * lapUs)),
                      frames_[frame].camera};
    continueStream(delivery.camera.color, frames_.front().camera.color, frames_.back().camera.color, lap, lapGapUs_);
    continueStream(delivery.camera.depth, frames_.front().camera.depth, frames_.back().camera.depth, lap, lapGapUs_);
    return delivery;
}

} // namespace kestrum_sim
