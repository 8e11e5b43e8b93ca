// capture.json in both variants, byte for byte, and its write failures.
#include "CaptureMetadata.h"
#include "ChildProcess.h"
#include "StreamCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

CaptureStatistics tenFramesPerSecond()
{
    CaptureStatistics s;
    s.requestedDurationMs = 3000;
    s.requestedSampleFps = 10;
    s.actualDurationMs = 3000;
    s.receivedFrames = 90;
    s.savedFrames = 30;
    s.missingFrames = 1;
    s.incompleteFrames = 2;
    s.skippedFrames = 58;
    s.receivedFps = 30.0;
    s.savedFps = 10.0;
    return s;
}

} // namespace

TEST(CaptureMetadata, KinectVariantByteForByte)
{
    KinectMetadata kinect;
    kinect.serial = "0123\"45\\6";
    kinect.depthCamera = {365.4567f, 365.4567f, 254.8782f, -0.0004f};

    EXPECT_EQ(kinectCaptureJson(tenFramesPerSecond(), kinect),
              "{\n"
              "  \"serial\": \"0123\\\"45\\\\6\",\n"
              "  \"requestedDurationMs\": 3000,\n"
              "  \"actualDurationMs\": 3000,\n"
              "  \"requestedSampleFps\": 10,\n"
              "  \"receivedFrames\": 90,\n"
              "  \"savedFrames\": 30,\n"
              "  \"missingFrames\": 1,\n"
              "  \"incompleteFrames\": 2,\n"
              "  \"skippedFrames\": 58,\n"
              "  \"receivedFps\": 30.000,\n"
              "  \"savedFps\": 10.000,\n"
              "  \"width\": 512,\n"
              "  \"height\": 424,\n"
              "  \"depthFormat\": \"uint16-little-endian-mm\",\n"
              "  \"camera\": {\n"
              "    \"fx\": 365.457,\n"
              "    \"fy\": 365.457,\n"
              "    \"cx\": 254.878,\n"
              "    \"cy\": -0.000\n"
              "  }\n"
              "}\n");
}

TEST(CaptureMetadata, OrbbecVariantByteForByte)
{
    OrbbecMetadata orbbec;
    orbbec.device = "Orbbec \"Gemini\" 335";
    orbbec.serial = "CP1\\23";
    orbbec.firmware = "1.2.3";
    orbbec.connection = "USB3.2";
    orbbec.width = 1280;
    orbbec.height = 720;
    orbbec.colorCamera = {691.1234f, 690.5f, 640.25f, 359.75f};
    orbbec.depthScale = 0.1f;
    orbbec.frameSync = true;
    CaptureStatistics statistics = tenFramesPerSecond();
    statistics.actualDurationMs = 3001;
    statistics.receivedFps = 90 * 1000.0 / 3001;

    EXPECT_EQ(orbbecCaptureJson(statistics, orbbec),
              "{\n"
              "  \"backend\": \"orbbec\",\n"
              "  \"device\": \"Orbbec \\\"Gemini\\\" 335\",\n"
              "  \"serial\": \"CP1\\\\23\",\n"
              "  \"firmware\": \"1.2.3\",\n"
              "  \"connection\": \"USB3.2\",\n"
              "  \"requestedDurationMs\": 3000,\n"
              "  \"actualDurationMs\": 3001,\n"
              "  \"requestedSampleFps\": 10,\n"
              "  \"receivedFrames\": 90,\n"
              "  \"savedFrames\": 30,\n"
              "  \"missingFrames\": 1,\n"
              "  \"incompleteFrames\": 2,\n"
              "  \"skippedFrames\": 58,\n"
              "  \"receivedFps\": 29.990003,\n"
              "  \"savedFps\": 10.000000,\n"
              "  \"width\": 1280,\n"
              "  \"height\": 720,\n"
              "  \"colorWidth\": 1280,\n"
              "  \"colorHeight\": 720,\n"
              "  \"depthFormat\": \"uint16-little-endian-mm\",\n"
              "  \"depthScale\": 0.100000,\n"
              "  \"depthCoordinateSystem\": \"color\",\n"
              "  \"colorDepthMapRequired\": false,\n"
              "  \"frameSync\": true,\n"
              "  \"camera\": {\n"
              "    \"fx\": 691.123413,\n"
              "    \"fy\": 690.500000,\n"
              "    \"cx\": 640.250000,\n"
              "    \"cy\": 359.750000\n"
              "  }\n"
              "}\n");
}

TEST(CaptureMetadata, WritingReplacesAnEarlierFileAndFailuresGiveTheMessage)
{
    ScratchDir scratch;
    std::ofstream(scratch / "capture.json") << std::string(5000, 'x');
    const std::string path = writeCaptureJson(scratch.path() + "/", "{\n}\n");
    EXPECT_EQ(path, scratch / "capture.json");
    EXPECT_EQ(readFileBytes(path), "{\n}\n");

    fs::remove(path);
    fs::create_directory(path);
    for (const std::string& directory : {scratch.path(), scratch / "missing"}) {
        std::string written;
        EXPECT_EQ(failureOf([&] { writeCaptureJson(directory, "{\n}\n"); }, written),
                  "capture.json konnte nicht geschrieben werden.");
    }
}
