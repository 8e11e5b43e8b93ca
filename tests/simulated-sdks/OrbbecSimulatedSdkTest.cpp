// The simulated Orbbec SDK, where a fault would mislead every test built on it:
// delivery and timeouts, bad settings and the console log. (The device texts, the
// failure settings and aligned depth that matches the colour are checked through OrbbecCamera.)
#include "OrbbecSimulationVariable.h"

#include <kestrum_sim/OrbbecObserver.h>
#include <libobsensor/ObSensor.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// An opened device with a pipeline streaming colour and depth at 1280 x 720.
struct StreamingCamera {
    StreamingCamera() {
        context = std::make_unique<ob::Context>("");
        device = context->queryDeviceList()->getDevice(0);
        pipeline = std::make_shared<ob::Pipeline>(device);
        auto config = std::make_shared<ob::Config>();
        config->enableStream(pipeline->getStreamProfileList(OB_SENSOR_COLOR)->getVideoStreamProfile(1280, 720, OB_FORMAT_BGR, 30));
        config->enableStream(pipeline->getStreamProfileList(OB_SENSOR_DEPTH)->getVideoStreamProfile(1280, 720, OB_FORMAT_Y16, 30));
        pipeline->start(config);
    }

    std::unique_ptr<ob::Context> context;
    std::shared_ptr<ob::Device> device;
    std::shared_ptr<ob::Pipeline> pipeline;
};

std::shared_ptr<ob::FrameSet> nextFrameset(const ob::Pipeline& pipeline) {
    auto frameset = pipeline.waitForFrameset(5000);
    if (!frameset) ADD_FAILURE() << "no frameset within 5 s";
    return frameset;
}

TEST(SimulatedOrbbecDelivery, DeliversTheGivenNumberOfFramesetsThenTimesOut) {
    OrbbecSimulationVariable camera("frames=3");
    StreamingCamera streaming;
    for (uint64_t expected = 1; expected <= 3; ++expected) {
        auto frameset = nextFrameset(*streaming.pipeline);
        ASSERT_TRUE(frameset);
        EXPECT_EQ(frameset->getIndex(), expected);
        EXPECT_EQ(frameset->getCount(), 2u);
    }
    EXPECT_EQ(streaming.pipeline->waitForFrameset(100), nullptr);
    streaming.pipeline->stop();
    EXPECT_EQ(streaming.pipeline->waitForFrameset(10), nullptr);
}

// Death tests run before every other suite, so no SDK thread exists when they fork; the
// default fork-only style also works under qemu-user, where re-executing the binary does not.
using SimulatedOrbbecSettingsDeathTest = testing::Test;

TEST_F(SimulatedOrbbecSettingsDeathTest, BadSettingsEndTheProcessNamingTheSetting) {
    for (const char* bad : {"attached;colour=red", "fps=fast", "fail=explode", "depth-scale=0", "error=lost"}) {
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
