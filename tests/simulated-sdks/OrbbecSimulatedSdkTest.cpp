// The simulated Orbbec SDK, where a fault would mislead every test built on it: bad settings
// and the console log. (Delivery, device texts, failure settings and aligned depth are
// checked through OrbbecCamera and the programs.)
#include "OrbbecSimulationVariable.h"

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
    for (const char* bad : {"attached;colour=red", "fps=fast", "fail=explode", "depth-scale=0", "error=lost", "fps=1;fps=2", "mismatch=color-size"}) {
        SCOPED_TRACE(bad);
        OrbbecSimulationVariable camera(bad);
        const std::string setting = std::string(bad).substr(std::string(bad).find_last_of(';') + 1);
        const std::string key = setting.substr(0, setting.find('='));
        EXPECT_EXIT(ob::Context context(""), testing::ExitedWithCode(2), "KESTRUM_SIM_ORBBEC.*" + key);
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
