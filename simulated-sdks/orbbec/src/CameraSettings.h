// What KESTRUM_SIM_ORBBEC says about the simulated camera.
#pragma once

#include "kestrum_sim/DeviceClock.h"
#include "kestrum_sim/ReplaySeries.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace kestrum_sim {
class Settings;
}

namespace kestrum_sim::orbbec {

struct CameraSettings {
    bool attached = false;
    double fps = 30.0;
    std::optional<uint64_t> frameLimit;
    std::string serialNumber = "SIMORB0000001";
    std::string name = "Orbbec Gemini 335 (simulated)";
    std::string firmwareVersion = "1.0.0-sim";
    std::string connectionType = "USB3.2";
    float depthScale = 1.0f;
    std::set<std::string> failures;   // "open", "color-profile", ...
    uint64_t emptyDepthEvery = 0;      // 0: never
    uint64_t grabErrorAt = 0;          // 0: never
    bool lossless = false;             // a new frameset waits while the queue is full
    uint64_t mismatchEvery = 0;        // 0: never
    std::string mismatch;              // what is not as asked: "color-format", "color-size" or "depth-scale"
    DeviceClockSettings clock;
    bool globalTimestampSupported = true;
    std::string grabErrorText = "simulated failure: the frameset could not be delivered (grab-error-at)";
    bool grabErrorIsWaitTimeout = false;   // the error's status: the SDK's wait time-out, else a plain error
    std::shared_ptr<const ReplaySeries> replay;   // frames of a recorded series instead of the scene

    bool fails(const char* step) const { return failures.count(step) != 0; }
};

// Interprets parsed settings; throws SettingsError for settings that only make sense together, or that replay
// would overrule. A series to replay is not read here.
CameraSettings cameraSettingsFrom(const Settings& settings);

// Reads the variable now, and the series to replay; a bad setting or a series that cannot be replayed ends the
// process with a message on stderr.
CameraSettings cameraSettingsFromEnvironment();

}  // namespace kestrum_sim::orbbec
