// Reads KESTRUM_SIM_ORBBEC with the shared parser; every setting it accepts changes behaviour.
#include "CameraSettings.h"

#include "kestrum_sim/Settings.h"

namespace kestrum_sim::orbbec {
namespace {

constexpr const char* kVariableName = "KESTRUM_SIM_ORBBEC";

// An hour after the camera was powered on.
constexpr uint64_t kClockStartUs = 3'600'000'000;

const std::vector<SettingKey>& knownKeys() {
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> own = {
            {"fps", SettingType::PositiveNumber},
            {"frames", SettingType::Count},
            {"serial", SettingType::Text},
            {"name", SettingType::Text},
            {"firmware", SettingType::Text},
            {"connection", SettingType::Text},
            {"depth-scale", SettingType::PositiveNumber},
            {"fail", SettingType::Choice, true, {"open", "color-profile", "depth-profile", "frame-sync", "start", "stop"}},
            {"empty-depth-every", SettingType::PositiveCount},
            {"grab-error-at", SettingType::PositiveCount},
            {"error", SettingType::Text},
            {"error-status", SettingType::Choice, false, {"wait-timeout"}},
            {"lossless", SettingType::Choice, false, {"yes"}},
            {"mismatch-every", SettingType::PositiveCount},
            {"mismatch", SettingType::Choice, false, {"color-format", "color-size", "depth-scale"}},
            {"replay", SettingType::Text},
            {"global-timestamp", SettingType::Choice, false, {"unsupported"}},
        };
        own.insert(own.end(), deviceClockKeys().begin(), deviceClockKeys().end());
        return own;
    }();
    return keys;
}

}  // namespace

CameraSettings cameraSettingsFrom(const Settings& settings) {
    CameraSettings camera;
    camera.attached = settings.attached();
    camera.fps = settings.number("fps", camera.fps);
    if (settings.has("frames")) camera.frameLimit = static_cast<uint64_t>(settings.count("frames", 0));
    camera.serialNumber = settings.text("serial", camera.serialNumber);
    camera.name = settings.text("name", camera.name);
    camera.firmwareVersion = settings.text("firmware", camera.firmwareVersion);
    camera.connectionType = settings.text("connection", camera.connectionType);
    camera.depthScale = static_cast<float>(settings.number("depth-scale", camera.depthScale));
    for (const std::string& step : settings.all("fail")) camera.failures.insert(step);
    camera.emptyDepthEvery = static_cast<uint64_t>(settings.count("empty-depth-every", 0));
    camera.grabErrorAt = static_cast<uint64_t>(settings.count("grab-error-at", 0));
    for (const char* detail : {"error", "error-status"}) {
        if (settings.has(detail) && !settings.has("grab-error-at")) {
            throw SettingsError(std::string(kVariableName) + ": setting '" + detail +
                                "' needs 'grab-error-at', which says when to report it");
        }
    }
    camera.grabErrorText = settings.text("error", camera.grabErrorText);
    camera.grabErrorIsWaitTimeout = settings.includes("error-status", "wait-timeout");
    camera.lossless = settings.includes("lossless", "yes");
    if (settings.has("mismatch") != settings.has("mismatch-every")) {
        throw SettingsError(std::string(kVariableName) + ": settings 'mismatch' and 'mismatch-every' go together");
    }
    camera.mismatchEvery = static_cast<uint64_t>(settings.count("mismatch-every", 0));
    camera.mismatch = settings.text("mismatch", "");
    camera.clock = deviceClockFrom(settings, kVariableName, kClockStartUs);
    camera.globalTimestampSupported = !settings.includes("global-timestamp", "unsupported");
    if (settings.has("replay")) {
        // The series says which camera it was; a setting that would be overruled is refused, not ignored.
        for (const char* overruled : {"serial", "name", "firmware", "connection", "depth-scale"}) {
            if (settings.has(overruled)) {
                throw SettingsError(std::string(kVariableName) + ": setting '" + overruled + "' cannot go with 'replay'");
            }
        }
    }
    return camera;
}

CameraSettings cameraSettingsFromEnvironment() {
    const Settings settings = Settings::fromEnvironment(kVariableName, knownKeys());
    CameraSettings camera;
    try {
        camera = cameraSettingsFrom(settings);
    } catch (const SettingsError& error) {
        exitForBadSetting(error.what());
    }
    if (settings.has("replay")) {
        camera.replay = replaySeriesOrExit(settings, kVariableName, SeriesCamera::Orbbec);
        const SeriesDescription& recorded = camera.replay->description();
        camera.serialNumber = recorded.serial;
        camera.name = recorded.device;
        camera.firmwareVersion = recorded.firmware;
        camera.connectionType = recorded.connection;
        camera.depthScale = static_cast<float>(recorded.depthScale);
    }
    return camera;
}

}  // namespace kestrum_sim::orbbec
