// The event lines, byte for byte.
#include "EventLines.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

// Captures what a call writes to one of the standard streams.
template <typename Call>
std::string captured(std::ostream& stream, Call call)
{
    std::ostringstream buffer;
    std::streambuf* previous = stream.rdbuf(buffer.rdbuf());
    call();
    stream.rdbuf(previous);
    return buffer.str();
}

CaptureStatistics sampleStatistics()
{
    CaptureStatistics s;
    s.requestedDurationMs = 3000;
    s.requestedSampleFps = 10;
    s.actualDurationMs = 3010;
    s.receivedFrames = 90;
    s.savedFrames = 30;
    s.missingFrames = 1;
    s.incompleteFrames = 2;
    s.skippedFrames = 58;
    s.receivedFps = 90 * 1000.0 / 3010;
    s.savedFps = 30 * 1000.0 / 3010;
    return s;
}

} // namespace

TEST(EventLines, DeviceOpenedBothForms)
{
    EXPECT_EQ(captured(std::cout, [] { emitDeviceOpened(CaptureBackend::Kinect, "", "0123\"45", 10000, 10); }),
              "{\"event\":\"deviceOpened\",\"serial\":\"0123\\\"45\",\"durationMs\":10000,\"sampleFps\":10}\n");
    EXPECT_EQ(captured(std::cout, [] { emitDeviceOpened(CaptureBackend::Orbbec, "Gemini 335", "CP1\\2", 3000, 5); }),
              "{\"event\":\"deviceOpened\",\"backend\":\"orbbec\",\"device\":\"Gemini 335\",\"serial\":\"CP1\\\\2\","
              "\"durationMs\":3000,\"sampleFps\":5}\n");
}

TEST(EventLines, FrameSavedEscapesPaths)
{
    EXPECT_EQ(captured(std::cout,
                       [] {
                           emitFrameSaved(0, 12345678901LL, "o\"ut/color/color-0000.jpg", "out/depth/depth-0000.png",
                                          "out/depth-raw/depth-0000.bin");
                       }),
              "{\"event\":\"frameSaved\",\"index\":0,\"timestampMs\":12345678901,"
              "\"colorFile\":\"o\\\"ut/color/color-0000.jpg\",\"depthFile\":\"out/depth/depth-0000.png\","
              "\"depthRawFile\":\"out/depth-raw/depth-0000.bin\"}\n");
}

TEST(EventLines, CaptureCompletedBothFormsWithThreeDecimals)
{
    const CaptureStatistics s = sampleStatistics();
    EXPECT_EQ(captured(std::cout, [&] { emitCaptureCompleted(CaptureBackend::Kinect, s, "out/capture.json"); }),
              "{\"event\":\"captureCompleted\",\"actualDurationMs\":3010,\"receivedFrames\":90,\"savedFrames\":30,"
              "\"missingFrames\":1,\"incompleteFrames\":2,\"skippedFrames\":58,\"receivedFps\":29.900,"
              "\"savedFps\":9.967,\"metadataFile\":\"out/capture.json\"}\n");
    EXPECT_EQ(captured(std::cout, [&] { emitCaptureCompleted(CaptureBackend::Orbbec, s, "a\"b/capture.json"); }),
              "{\"event\":\"captureCompleted\",\"backend\":\"orbbec\",\"actualDurationMs\":3010,\"receivedFrames\":90,"
              "\"savedFrames\":30,\"missingFrames\":1,\"incompleteFrames\":2,\"skippedFrames\":58,"
              "\"receivedFps\":29.900,\"savedFps\":9.967,\"metadataFile\":\"a\\\"b/capture.json\"}\n");
}

TEST(EventLines, ZeroRatesPrintAsZeroWithThreeDecimals)
{
    CaptureStatistics s;
    s.requestedDurationMs = 1000;
    s.requestedSampleFps = 1;
    const std::string line = captureCompletedLine(CaptureBackend::Kinect, s, "capture.json");
    EXPECT_NE(line.find("\"savedFrames\":0,"), std::string::npos) << line;
    EXPECT_NE(line.find("\"receivedFps\":0.000,\"savedFps\":0.000,"), std::string::npos) << line;
}

TEST(EventLines, ErrorGoesToStandardErrorOnly)
{
    std::string out;
    const std::string err = captured(std::cerr, [&] {
        out = captured(std::cout, [] { emitErrorEvent("Keine Kinect v2 gefunden."); });
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "{\"event\":\"error\",\"message\":\"Keine Kinect v2 gefunden.\"}\n");
}
