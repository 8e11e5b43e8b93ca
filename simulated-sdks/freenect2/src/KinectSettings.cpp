// Reads KESTRUM_SIM_KINECT once; a bad setting ends the process (see kestrum_sim::Settings).
#include "KinectSettings.h"

#include "kestrum_sim/Freenect2Observer.h"
#include "kestrum_sim/Settings.h"

#include <cstdio>
#include <mutex>
#include <optional>

namespace kestrum_sim {
namespace {

constexpr const char* kVariableName = "KESTRUM_SIM_KINECT";

// An hour after the device was powered on.
constexpr uint64_t kClockStartUs = 3'600'000'000;

std::vector<SettingKey> knownKeys()
{
    std::vector<SettingKey> keys = {
        {"fps", SettingType::PositiveNumber},
        {"frames", SettingType::Count},
        {"serial", SettingType::Text},
        {"count", SettingType::Count},
        {"fail", SettingType::Choice, true, {"open", "start"}},
        {"no-depth-every", SettingType::PositiveCount},
        {"no-color-every", SettingType::PositiveCount},
        {"lossless", SettingType::Choice, false, {"yes"}},
        {"replay", SettingType::Text},
    };
    keys.insert(keys.end(), deviceClockKeys().begin(), deviceClockKeys().end());
    return keys;
}

KinectSettings readKinectSettings()
{
    const Settings settings = Settings::fromEnvironment(kVariableName, knownKeys());
    KinectSettings kinect;
    if (!settings.attached()) return kinect;
    kinect.deviceCount = settings.count("count", 1);
    kinect.firstSerial = settings.text("serial", kinectSerialNumber(kinect, 0));
    if (settings.has("replay")) {
        // The series says which camera it was; a setting that would be overruled is refused, not ignored.
        for (const char* overruled : {"serial", "count"}) {
            if (settings.has(overruled)) {
                exitForBadSetting(std::string(kVariableName) + ": setting '" + overruled + "' cannot go with 'replay'");
            }
        }
        kinect.replay = replaySeriesOrExit(settings, kVariableName, SeriesCamera::KinectV2);
        kinect.firstSerial = kinect.replay->description().serial;
    }
    kinect.fps = settings.number("fps", kinect.fps);
    kinect.frameLimit = settings.count("frames", kinect.frameLimit);
    kinect.failOpen = settings.includes("fail", "open");
    kinect.failStart = settings.includes("fail", "start");
    kinect.noDepthEvery = settings.count("no-depth-every", 0);
    kinect.noColorEvery = settings.count("no-color-every", 0);
    kinect.lossless = settings.includes("lossless", "yes");
    try {
        kinect.clock = deviceClockFrom(settings, kVariableName, kClockStartUs);
    } catch (const SettingsError& error) {
        exitForBadSetting(error.what());
    }
    return kinect;
}

std::mutex settingsMutex;
std::optional<KinectSettings> currentSettings;

} // namespace

KinectSettings kinectSettings()
{
    std::lock_guard<std::mutex> lock(settingsMutex);
    if (!currentSettings) currentSettings = readKinectSettings();
    return *currentSettings;
}

void rereadKinectSettings()
{
    std::lock_guard<std::mutex> lock(settingsMutex);
    currentSettings = readKinectSettings();
}

std::string kinectSerialNumber(const KinectSettings& settings, long deviceIndex)
{
    if (deviceIndex == 0 && !settings.firstSerial.empty()) return settings.firstSerial;
    char serial[32];
    std::snprintf(serial, sizeof serial, "SIMKINECT%03ld", deviceIndex + 1);
    return serial;
}

} // namespace kestrum_sim
