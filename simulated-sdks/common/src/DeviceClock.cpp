// The clock of a simulated camera and which frames it makes.
#include "kestrum_sim/DeviceClock.h"

#include <algorithm>
#include <cmath>

namespace kestrum_sim {

const std::vector<SettingKey>& deviceClockKeys()
{
    static const std::vector<SettingKey> keys = {
        {"clock-start", SettingType::Count},
        {"clock-drift", SettingType::Number},
        {"clock-jump-at", SettingType::PositiveCount},
        {"clock-jump", SettingType::Number},
    };
    return keys;
}

DeviceClockSettings deviceClockFrom(const Settings& settings, const std::string& variableName, uint64_t defaultStartUs)
{
    if (settings.has("clock-jump-at") != settings.has("clock-jump")) {
        throw SettingsError(variableName + ": settings 'clock-jump-at' and 'clock-jump' go together");
    }
    DeviceClockSettings clock;
    clock.startUs = static_cast<uint64_t>(settings.count("clock-start", static_cast<long>(defaultStartUs)));
    clock.driftPpm = settings.number("clock-drift", 0.0);
    clock.jumpAtFrame = static_cast<uint64_t>(settings.count("clock-jump-at", 0));
    clock.jumpMs = settings.number("clock-jump", 0.0);
    return clock;
}

DeviceClock::DeviceClock(const DeviceClockSettings& settings, double fps)
    : settings_(settings), period_(1.0 / fps)
{
}

uint64_t DeviceClock::timestampUs(uint64_t slot, std::chrono::duration<double> late) const
{
    const double sinceFirst = static_cast<double>(slot) * period_.count() + std::max(late.count(), 0.0);
    double us = static_cast<double>(settings_.startUs) + sinceFirst * 1e6 * (1.0 + settings_.driftPpm * 1e-6);
    if (settings_.jumpAtFrame != 0 && slot + 1 >= settings_.jumpAtFrame) {
        us += settings_.jumpMs * 1000.0;
    }
    return static_cast<uint64_t>(std::llround(std::max(us, 0.0)));
}

std::chrono::duration<double> dueAfterStart(const DeviceClock& clock, const RecordedTimeline* recorded, uint64_t slot,
                                            uint64_t made)
{
    if (recorded) return clock.period() + std::chrono::duration<double>(recorded->at(made).sinceFirst);
    return clock.period() * static_cast<double>(slot + 1);
}

uint64_t nextSlot(uint64_t made, std::chrono::duration<double> elapsed, std::chrono::duration<double> period)
{
    const double periods = std::floor(elapsed / period);
    const uint64_t latestDue = periods < 1.0 ? 0 : static_cast<uint64_t>(periods) - 1;
    return std::max(made + 1, latestDue);
}

} // namespace kestrum_sim
