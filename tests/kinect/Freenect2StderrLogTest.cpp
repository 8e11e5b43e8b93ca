// The libfreenect2 stderr logger against the stand-in, whose console logger behaves as
// the real one: without the logger Info lines reach standard output, with it none do.
#include "Freenect2StderrLog.h"

#include "kestrum_sim/Freenect2Observer.h"

#include <libfreenect2/libfreenect2.hpp>
#include <libfreenect2/logger.h>
#include <libfreenect2/packet_pipeline.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

struct Output {
    std::string out;
    std::string err;
};

// Enumerates and opens a simulated Kinect v2 with a failing open, so Info and Error lines come out.
Output runTheLibrary()
{
    ::setenv("KESTRUM_SIM_KINECT", "fail=open", 1);
    kestrum_sim::rereadKinectSettings();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    {
        libfreenect2::Freenect2 context;
        context.enumerateDevices();
        context.openDevice(context.getDefaultDeviceSerialNumber(), new libfreenect2::CpuPacketPipeline);
    }
    std::cout.flush();
    Output output{testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
    ::unsetenv("KESTRUM_SIM_KINECT");
    ::unsetenv("LIBFREENECT2_LOGGER_LEVEL");
    return output;
}

const std::string kEnumerating = "[Info] [Freenect2Impl] enumerating devices...\n";
const std::string kOpenFailed = "[Error] [Freenect2Impl] failed to open Kinect v2";

} // namespace

TEST(Freenect2StderrLog, TheLibrarysConsoleLoggerPutsInfoOnStandardOutput)
{
    libfreenect2::setGlobalLogger(libfreenect2::createConsoleLoggerWithDefaultLevel());
    const Output output = runTheLibrary();
    EXPECT_EQ(output.out.rfind(kEnumerating, 0), 0u) << output.out;
    EXPECT_EQ(output.out.find("[Error]"), std::string::npos) << output.out;
    EXPECT_EQ(output.err.rfind(kOpenFailed, 0), 0u) << output.err;
}

TEST(Freenect2StderrLog, WithTheLoggerInstalledEveryLineGoesWholeToStandardError)
{
    kestrum::routeFreenect2LogToStandardError();
    const Output output = runTheLibrary();
    EXPECT_EQ(output.out, "");
    EXPECT_EQ(output.err.rfind(kEnumerating, 0), 0u) << output.err;
    EXPECT_NE(output.err.find("\n" + kOpenFailed), std::string::npos) << output.err;
    std::istringstream lines(output.err);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.rfind("[Info] [", 0) == 0 || line.rfind("[Error] [", 0) == 0) << line;
    }
    EXPECT_EQ(output.err.back(), '\n');
}

TEST(Freenect2StderrLog, TheLoggerKeepsTheLibrarysDefaultLevelFromTheEnvironment)
{
    ::setenv("LIBFREENECT2_LOGGER_LEVEL", "Error", 1);
    kestrum::routeFreenect2LogToStandardError();
    const Output output = runTheLibrary();
    EXPECT_EQ(output.out, "");
    EXPECT_EQ(output.err.find("[Info]"), std::string::npos) << output.err;
    EXPECT_EQ(output.err.rfind(kOpenFailed, 0), 0u) << output.err;
}
