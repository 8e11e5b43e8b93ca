// The simulated Orbbec SDK, where a fault would mislead every test built on it:
// delivery and timeouts, aligned depth, bad settings and the console log. (The
// device texts and failure settings are checked through OrbbecCamera.)
#include "OrbbecSimulationVariable.h"

#include <kestrum_sim/OrbbecObserver.h>
#include <kestrum_sim/Scene.h>
#include <libobsensor/ObSensor.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

std::shared_ptr<ob::DepthFrame> depthOf(const ob::FrameSet& frameset) {
    return frameset.getFrame(OB_FRAME_DEPTH)->as<ob::DepthFrame>();
}

uint16_t rawDepthAt(const ob::DepthFrame& depth, uint32_t row, uint32_t column) {
    uint16_t value = 0;
    std::memcpy(&value, depth.getData() + (row * depth.getWidth() + column) * sizeof value, sizeof value);
    return value;
}

kestrum_sim::PinholeView viewOf(const OBCameraIntrinsic& intrinsic) {
    return {intrinsic.fx, intrinsic.fy, intrinsic.cx, intrinsic.cy, intrinsic.width, intrinsic.height, 0.0};
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

TEST(SimulatedOrbbecDelivery, AlignedDepthIsTheDepthSeenFromTheColourCamera) {
    OrbbecSimulationVariable camera("depth-scale=0.5");
    StreamingCamera streaming;
    ob::Align align(OB_STREAM_COLOR);
    auto frameset = nextFrameset(*streaming.pipeline);
    ASSERT_TRUE(frameset);
    const auto intrinsic =
        streaming.pipeline->getStreamProfileList(OB_SENSOR_COLOR)->getVideoStreamProfile(1280, 720, OB_FORMAT_BGR, 30)->getIntrinsic();
    std::vector<float> expectedMm(1280 * 720);
    kestrum_sim::renderDepthMm(frameset->getIndex(), viewOf(intrinsic), expectedMm.data());

    auto aligned = align.process(frameset)->as<ob::FrameSet>();
    auto depth = depthOf(*aligned);
    ASSERT_EQ(depth->getWidth(), 1280u);
    ASSERT_EQ(depth->getHeight(), 720u);
    EXPECT_FLOAT_EQ(depth->getValueScale(), 0.5f);
    size_t mismatched = 0;
    for (uint32_t row = 0; row < 720; ++row) {
        for (uint32_t column = 0; column < 1280; ++column) {
            const float millimetres = rawDepthAt(*depth, row, column) * depth->getValueScale();
            if (std::abs(millimetres - expectedMm[row * 1280 + column]) > 0.5f) ++mismatched;
        }
    }
    EXPECT_EQ(mismatched, 0u);
    // The raw depth comes from a camera beside the colour camera, so it differs from the aligned one.
    EXPECT_NE(std::memcmp(depthOf(*frameset)->getData(), depth->getData(), 1280 * 720 * 2), 0);
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
