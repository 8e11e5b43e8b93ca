// capture.json: the Kinect v2 variant byte for byte (the Orbbec variant is checked byte
// for byte from a real run), and its write failures (a full file system in the process tests).
#include "CaptureMetadata.h"
#include "ChildProcess.h"
#include "SeriesSummary.h"
#include "StreamCapture.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(CaptureMetadata, KinectVariantByteForByte)
{
    KinectMetadata kinect;
    kinect.serial = "0123\"45\\6";
    kinect.depthCamera = {365.4567f, 365.4567f, 254.8782f, -0.0004f};
    // Requested, actual duration; received, saved, missing, incomplete, skipped frames; rates.
    const CaptureStatistics s{3000, 10, 3000, 90, 30, 1, 2, 58, 30.0, 10.0};

    EXPECT_EQ(kinectCaptureJson(s, kinect),
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

TEST(CaptureMetadata, WritingReplacesAnEarlierFileAndFailuresGiveTheMessage)
{
    ScratchDir scratch;
    std::ofstream(scratch / "capture.json") << std::string(5000, 'x');
    const std::string path = writeCaptureJson(scratch.path() + "/", "{\n}\n");
    EXPECT_EQ(path, scratch / "capture.json");
    EXPECT_EQ(readFileBytes(path), "{\n}\n");

    // A directory in the way is met by the process tests.
    std::string written;
    EXPECT_EQ(failureOf([&] { writeCaptureJson(scratch / "missing", "{\n}\n"); }, written),
              "capture.json konnte nicht geschrieben werden.");
}
