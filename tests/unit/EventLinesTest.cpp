// The event lines byte for byte, and escapeJson: every text becomes a valid
// JSON string that decodes back to itself.
#include "EventLines.h"
#include "Json.h"
#include "JsonEscape.h"
#include "StreamCapture.h"

#include <gtest/gtest.h>

#include <iostream>

TEST(JsonEscape, ShortEscapesUnicodeEscapesAndUnchangedBytes)
{
    EXPECT_EQ(escapeJson("a\"b\\c\nd\re\tf"), "a\\\"b\\\\c\\nd\\re\\tf");
    EXPECT_EQ(escapeJson("Ungültig ä/ö\x7f"), "Ungültig ä/ö\x7f");
    EXPECT_EQ(escapeJson(std::string("\x01\x08\x1b\x1f" "a\0b", 7)), "\\u0001\\u0008\\u001b\\u001fa\\u0000b");
}

TEST(JsonEscape, ErrorLineWithEveryControlByteIsValidJsonAndDecodesBack)
{
    std::string message;
    for (int byte = 0x01; byte <= 0x1f; ++byte) {
        message += static_cast<char>(byte);
    }
    message += "\"\\ Größe";
    const JsonValue parsed = parseJson(errorLine(message));
    EXPECT_EQ(parsed.keys(), (std::vector<std::string>{"event", "message"}));
    EXPECT_EQ(parsed["event"].text, "error");
    EXPECT_EQ(parsed["message"].text, message);
}

TEST(EventLines, EachLineInBothFormsByteForByte)
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
    const std::pair<std::string, std::string> cases[] = {
        {writtenTo(std::cout, [] { emitDeviceOpened(CaptureBackend::Kinect, "", "0123\"45", 10000, 10); }),
         "{\"event\":\"deviceOpened\",\"serial\":\"0123\\\"45\",\"durationMs\":10000,\"sampleFps\":10}\n"},
        {writtenTo(std::cout, [] { emitDeviceOpened(CaptureBackend::Orbbec, "Gemini 335", "CP1\\2", 3000, 5); }),
         "{\"event\":\"deviceOpened\",\"backend\":\"orbbec\",\"device\":\"Gemini 335\",\"serial\":\"CP1\\\\2\","
         "\"durationMs\":3000,\"sampleFps\":5}\n"},
        {writtenTo(std::cout,
                   [] {
                       emitFrameSaved(0, 12345678901LL, "o\"ut/color/color-0000.jpg", "out/depth/depth-0000.png",
                                      "out/depth-raw/depth-0000.bin");
                   }),
         "{\"event\":\"frameSaved\",\"index\":0,\"timestampMs\":12345678901,"
         "\"colorFile\":\"o\\\"ut/color/color-0000.jpg\",\"depthFile\":\"out/depth/depth-0000.png\","
         "\"depthRawFile\":\"out/depth-raw/depth-0000.bin\"}\n"},
        {writtenTo(std::cout, [&] { emitCaptureCompleted(CaptureBackend::Kinect, s, "out/capture.json"); }),
         "{\"event\":\"captureCompleted\",\"actualDurationMs\":3010,\"receivedFrames\":90,\"savedFrames\":30,"
         "\"missingFrames\":1,\"incompleteFrames\":2,\"skippedFrames\":58,\"receivedFps\":29.900,"
         "\"savedFps\":9.967,\"metadataFile\":\"out/capture.json\"}\n"},
        {writtenTo(std::cout, [&] { emitCaptureCompleted(CaptureBackend::Orbbec, s, "a\"b/capture.json"); }),
         "{\"event\":\"captureCompleted\",\"backend\":\"orbbec\",\"actualDurationMs\":3010,\"receivedFrames\":90,"
         "\"savedFrames\":30,\"missingFrames\":1,\"incompleteFrames\":2,\"skippedFrames\":58,"
         "\"receivedFps\":29.900,\"savedFps\":9.967,\"metadataFile\":\"a\\\"b/capture.json\"}\n"},
    };
    for (const auto& [written, expected] : cases) {
        EXPECT_EQ(written, expected);
    }
}

TEST(EventLines, ErrorGoesToStandardErrorOnly)
{
    std::string out;
    const std::string err = writtenTo(std::cerr, [&] {
        out = writtenTo(std::cout, [] { emitErrorEvent("Keine Kinect v2 gefunden."); });
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "{\"event\":\"error\",\"message\":\"Keine Kinect v2 gefunden.\"}\n");
}
