// The recorded times of a replayed series that has a timing file.
#include "kestrum_sim/RecordedTimeline.h"

#include <algorithm>

namespace kestrum_sim {
namespace {

// How long a stream's recorded device clock ran from the first frame to the last.
uint64_t deviceSpanUs(const StreamTiming& first, const StreamTiming& last)
{
    return last.deviceTimestampUs - first.deviceTimestampUs;
}

// A stream's values in a later lap: numbers continue after the last one, device time by whole laps.
void continueStream(StreamTiming& stream, const StreamTiming& first, const StreamTiming& last, uint64_t lap,
                    uint64_t lapUs)
{
    stream.frameNumber += lap * (last.frameNumber - first.frameNumber + 1);
    stream.deviceTimestampUs += lap * lapUs;
}

} // namespace

RecordedTimeline::RecordedTimeline(std::vector<FrameTiming> frames, int64_t lapGapUs)
    : frames_(std::move(frames))
{
    // Paced by the colour device clock, when the camera took each frame: the recording's arrival times hold
    // the delays of the reader that recorded it.
    int64_t latest = 0;
    for (const FrameTiming& frame : frames_) {
        const auto sinceFirst = static_cast<int64_t>(frame.camera.color.deviceTimestampUs -
                                                     std::min(frame.camera.color.deviceTimestampUs,
                                                              frames_.front().camera.color.deviceTimestampUs));
        latest = std::max(latest, sinceFirst);
        sinceFirstUs_.push_back(latest);
    }
    const CameraTiming& first = frames_.front().camera;
    const CameraTiming& last = frames_.back().camera;
    lapUs_ = std::max({static_cast<uint64_t>(latest), deviceSpanUs(first.color, last.color),
                       deviceSpanUs(first.depth, last.depth)}) +
             static_cast<uint64_t>(lapGapUs);
}

RecordedTimeline::Delivery RecordedTimeline::at(uint64_t made) const
{
    const uint64_t count = frames_.size();
    const uint64_t lap = made / count;
    const uint64_t frame = made % count;
    Delivery delivery{frame, std::chrono::microseconds(static_cast<int64_t>(sinceFirstUs_[frame] + lap * lapUs_)),
                      frames_[frame].camera};
    continueStream(delivery.camera.color, frames_.front().camera.color, frames_.back().camera.color, lap, lapUs_);
    continueStream(delivery.camera.depth, frames_.front().camera.depth, frames_.back().camera.depth, lap, lapUs_);
    return delivery;
}

} // namespace kestrum_sim
