// The recorded times of a replayed series that has a timing file: its frames in the recorded order at
// the recorded pace, lap after lap, each with the frame numbers and device timestamps it was recorded
// with, which go on rising from one lap to the next.
#pragma once

#include "SeriesTiming.h"

#include <chrono>
#include <cstdint>
#include <vector>

namespace kestrum_sim {

class RecordedTimeline {
public:
    // frames holds at least one frame. A lap follows the one before lapGapUs after its last frame, on the
    // host's clock and on each device clock alike (after the longest of their recorded spans), so that
    // frames that arrived late in the recording do not add up to a drift from lap to lap; its frame
    // numbers follow the last one's.
    RecordedTimeline(std::vector<FrameTiming> frames, int64_t lapGapUs);

    struct Delivery {
        uint64_t frame;                        // the recorded frame, counted from 0
        std::chrono::microseconds sinceFirst;  // on the host's clock, after the first delivery
        CameraTiming camera;                   // its frame numbers and device timestamps in this lap
    };

    // The delivery after `made` others.
    Delivery at(uint64_t made) const;

private:
    std::vector<FrameTiming> frames_;
    std::vector<int64_t> sinceFirstUs_;   // never going back, even where the recorded device clock does
    uint64_t lapUs_;                      // from a lap's first frame to the next lap's, on every clock
};

} // namespace kestrum_sim
