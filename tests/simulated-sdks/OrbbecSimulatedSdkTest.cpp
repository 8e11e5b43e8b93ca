// The simulated Orbbec SDK, where a fault would mislead every test built on it: bad settings
// and the console log; the stand-ins' device clock and a replayed series' recorded times. (Delivery,
// device texts, failure settings and aligned depth are checked through OrbbecCamera and the programs.)
#include "OrbbecSimulationVariable.h"

#include <kestrum_sim/DeviceClock.h>
#include <kestrum_sim/OrbbecObserver.h>
#include <libobsensor/ObSensor.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Death tests run before every other suite, so no SDK thread exists when they fork; the
// default fork-only style also works under qemu-user, where re-executing the binary does not.
using SimulatedOrbbecSettingsDeathTest = testing::Test;

TEST_F(SimulatedOrbbecSettingsDeathTest, BadSettingsEndTheProcessNamingTheSetting) {
    for (const char* bad : {"attached;colour=red", "fps=fast", "fail=explode", "depth-scale=0", "error=lost", "fps=1;fps=2",
                            "mismatch=color-size", "clock-jump-at=5"}) {
        SCOPED_TRACE(bad);
        OrbbecSimulationVariable camera(bad);
        const std::string setting = std::string(bad).substr(std::string(bad).find_last_of(';') + 1);
        const std::string key = setting.substr(0, setting.find('='));
        EXPECT_EXIT(ob::Context context(""), testing::ExitedWithCode(2), "KESTRUM_SIM_ORBBEC.*" + key);
    }
}

// 25 ms a frame at 40 per second from the clock's epoch, 1000 ppm fast, 500 ms back from the fifth frame
// on; a camera whose next frame's time passed a whole interval ago drops it.
TEST(SimulatedDeviceClock, EpochRateDriftJumpAndDroppedFrames) {
    const kestrum_sim::DeviceClock clock({1'000'000, 1000.0, 5, -500.0}, 40.0);
    EXPECT_EQ(clock.timestampUs(0), 1'000'000u);
    EXPECT_EQ(clock.timestampUs(3), 1'075'075u);
    EXPECT_EQ(clock.timestampUs(4), 600'100u);
    EXPECT_EQ(kestrum_sim::nextSlot(3, std::chrono::milliseconds(110), clock.period()), 4u);
    EXPECT_EQ(kestrum_sim::nextSlot(3, std::chrono::milliseconds(160), clock.period()), 5u);
}

// Three recorded frames, played when the colour device clock took them, not when they arrived; the next
// playing follows 100 ms after the longest span of the recording's clocks, on every clock alike, its
// numbers after the last one's.
TEST(RecordedTimeline, RecordedPaceAndNumbersLapAfterLap) {
    std::vector<FrameTiming> frames(3);
    const int64_t arrivals[] = {0, 100'000, 90'000};
    const uint64_t numbers[] = {10, 13, 20};
    const uint64_t devices[] = {1'000'000, 1'100'000, 1'333'000};
    const uint64_t depthDevices[] = {2'000'000, 2'010'000, 2'020'000};
    for (size_t k = 0; k < 3; ++k) {
        frames[k].hostMonotonicUs = 7'000'000 + arrivals[k];
        frames[k].camera.color = {numbers[k], devices[k], std::nullopt, std::nullopt, std::nullopt, std::nullopt};
        frames[k].camera.depth = {numbers[k], depthDevices[k], std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    }
    const kestrum_sim::RecordedTimeline timeline(frames, 100'000);
    const struct {
        uint64_t made, frame;
        int64_t sinceFirstUs;
        uint64_t number, deviceUs, depthDeviceUs;
    } deliveries[] = {{0, 0, 0, 10, 1'000'000, 2'000'000},
                      {2, 2, 333'000, 20, 1'333'000, 2'020'000},
                      {4, 1, 533'000, 24, 1'533'000, 2'443'000}};
    for (const auto& d : deliveries) {
        const kestrum_sim::RecordedTimeline::Delivery delivery = timeline.at(d.made);
        EXPECT_EQ(delivery.frame, d.frame) << d.made;
        EXPECT_EQ(delivery.sinceFirst.count(), d.sinceFirstUs) << d.made;
        EXPECT_EQ(delivery.camera.color.frameNumber, d.number) << d.made;
        EXPECT_EQ(delivery.camera.color.deviceTimestampUs, d.deviceUs) << d.made;
        EXPECT_EQ(delivery.camera.depth.deviceTimestampUs, d.depthDeviceUs) << d.made;
    }
}

TEST(SimulatedOrbbecLog, SdkErrorsGoToStandardOutputUntilTheConsoleIsSwitchedOff) {
    OrbbecSimulationVariable camera("fail=open");
    ob::Context context("");
    auto devices = context.queryDeviceList();
    const auto stdoutOfFailedOpen = [&] {
        testing::internal::CaptureStdout();
        EXPECT_THROW(devices->getDevice(0), ob::Error);
        return testing::internal::GetCapturedStdout();
    };

    ob::Context::setLoggerSeverity(OB_LOG_SEVERITY_ERROR);
    const std::string consoleOn = stdoutOfFailedOpen();
    EXPECT_NE(consoleOn.find("][error]["), std::string::npos) << consoleOn;
    EXPECT_NE(consoleOn.find("fail=open"), std::string::npos) << consoleOn;

    std::vector<std::string> delivered;
    ob::Context::setLoggerToConsole(OB_LOG_SEVERITY_OFF);
    ob::Context::setLoggerToCallback(OB_LOG_SEVERITY_ERROR, [&](OBLogSeverity severity, const char* message) {
        EXPECT_EQ(severity, OB_LOG_SEVERITY_ERROR);
        delivered.emplace_back(message);
    });
    EXPECT_EQ(stdoutOfFailedOpen(), "");
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_NE(delivered[0].find("fail=open"), std::string::npos) << delivered[0];

    // As in the real SDK, the global level is every sink's level: it switches the console back on.
    ob::Context::setLoggerSeverity(OB_LOG_SEVERITY_ERROR);
    EXPECT_NE(stdoutOfFailedOpen(), "");
    EXPECT_EQ(delivered.size(), 2u);

    ob::Context::setLoggerSeverity(OB_LOG_SEVERITY_OFF);
    EXPECT_EQ(stdoutOfFailedOpen(), "");
    EXPECT_EQ(delivered.size(), 2u);
    ob::Context::setLoggerToCallback(OB_LOG_SEVERITY_OFF, nullptr);
    ob::Context::setLoggerSeverity(OB_LOG_SEVERITY_ERROR);
}

}  // namespace
