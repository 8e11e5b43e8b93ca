// The clock of a simulated camera and which frames it makes: its own epoch, a steady rate at the
// camera's frame interval, and where its settings ask for them a drift against the host's clock and
// a jump; frames whose time passed while the camera was held up are dropped, as a camera drops them.
#pragma once

#include "kestrum_sim/RecordedTimeline.h"
#include "kestrum_sim/Settings.h"

#include <chrono>
#include <cstdint>
#include <vector>

namespace kestrum_sim {

struct DeviceClockSettings {
    uint64_t startUs = 0;        // the clock at the first frame
    double driftPpm = 0.0;       // how much faster than the host's clock it runs, in millionths
    uint64_t jumpAtFrame = 0;    // from this frame (counted from 1) on the clock is jumpMs off; 0: never
    double jumpMs = 0.0;
};

// clock-start=US, clock-drift=PPM, clock-jump-at=N and clock-jump=MS, which both cameras know.
const std::vector<SettingKey>& deviceClockKeys();

// Throws SettingsError when clock-jump-at= and clock-jump= do not come together.
DeviceClockSettings deviceClockFrom(const Settings& settings, const std::string& variableName, uint64_t defaultStartUs);

class DeviceClock {
public:
    DeviceClock(const DeviceClockSettings& settings, double fps);

    // The host time from one frame to the next.
    std::chrono::duration<double> period() const { return period_; }

    // The clock at the frame of this slot (the slot-th frame interval since the start, from 0), made
    // `late` after its time (by a camera that a lossless reader held up), in microseconds; never below
    // 0, also after a jump back.
    uint64_t timestampUs(uint64_t slot, std::chrono::duration<double> late = {}) const;

private:
    DeviceClockSettings settings_;
    std::chrono::duration<double> period_;
};

// How long after a camera's start its frame after `made` others, in that slot of its clock, is due: where
// it replays a series' recorded times, the recorded one after one frame interval; else slot + 1 intervals.
std::chrono::duration<double> dueAfterStart(const DeviceClock& clock, const RecordedTimeline* recorded, uint64_t slot,
                                            uint64_t made);

// The slot to make after the one made, with `elapsed` host time since the start, when slot k is due
// at (k + 1) periods: the next one, or, when that is a whole period late already, the latest one due;
// the ones between are dropped.
uint64_t nextSlot(uint64_t made, std::chrono::duration<double> elapsed, std::chrono::duration<double> period);

} // namespace kestrum_sim
