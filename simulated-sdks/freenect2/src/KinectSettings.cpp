// Reads KESTRUM_SIM_KINECT once; a bad setting ends the process (see kestrum_sim::Settings).
#include "KinectSettings.h"

#include "kestrum_sim/Freenect2Observer.h"
#include "kestrum_sim/Settings.h"

#include <cstdio>
#include <mutex>
#include <optional>

namespace kestrum_sim {
namespace {

KinectSettings readKinectSettings()
{
    const Settings settings =
        Settings::fromEnvironment("KESTRUM_SIM_KINECT", {
                                                            {"fps", SettingType::PositiveNumber},
                                                            {"frames", SettingType::Count},
                                                            {"serial", SettingType::Text},
                                                            {"count", SettingType::Count},
                                                            {"fail", SettingType::Choice, true, {"open", "start"}},
                                                            {"no-depth-every", SettingType::PositiveCount},
                                                            {"no-color-every", SettingType::PositiveCount},
                                                            {"lossless", SettingType::Choice, false, {"yes"}},
                                                        });
    KinectSettings kinect;
    if (!settings.attached()) return kinect;
    kinect.deviceCount = settings.count("count", 1);
    kinect.firstSerial = settings.text("serial", kinectSerialNumber(kinect, 0));
    kinect.fps = settings.number("fps", kinect.fps);
    kinect.frameLimit = settings.count("frames", kinect.frameLimit);
    kinect.failOpen = settings.includes("fail", "open");
    kinect.failStart = settings.includes("fail", "start");
    kinect.noDepthEvery = settings.count("no-depth-every", 0);
    kinect.noColorEvery = settings.count("no-color-every", 0);
    kinect.lossless = settings.includes("lossless", "yes");
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
