// The summary and error lines byte for byte, and escapeJson: every text becomes a valid
// JSON string that decodes back to itself.
#include "EventLines.h"
#include "Json.h"
#include "JsonEscape.h"
#include "StreamCapture.h"

#include <gtest/gtest.h>

#include <iostream>

TEST(JsonEscape, ShortEscapesUnicodeEscapesUnchangedBytesAndAnErrorLineThatDecodesBack)
{
    EXPECT_EQ(escapeJson("a\"b\\c\nd\re\tf"), "a\\\"b\\\\c\\nd\\re\\tf");
    EXPECT_EQ(escapeJson("Ungültig ä/ö\x7f"), "Ungültig ä/ö\x7f");
    EXPECT_EQ(escapeJson(std::string("\x01\x08\x1b\x1f" "a\0b", 7)), "\\u0001\\u0008\\u001b\\u001fa\\u0000b");

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

// "deviceOpened" and "frameSaved" are checked byte for byte from real runs.
TEST(EventLines, CaptureCompletedInBothFormsByteForByte)
{
    // Requested, actual duration; received, saved, missing, incomplete, skipped frames; rates.
    const CaptureStatistics s{3000, 10, 3010, 90, 30, 1, 2, 58, 90 * 1000.0 / 3010, 30 * 1000.0 / 3010};
    EXPECT_EQ(writtenTo(std::cout, [&] { emitCaptureCompleted(CaptureBackend::Kinect, s, "out/capture.json"); }),
              "{\"event\":\"captureCompleted\",\"actualDurationMs\":3010,\"receivedFrames\":90,\"savedFrames\":30,"
              "\"missingFrames\":1,\"incompleteFrames\":2,\"skippedFrames\":58,\"receivedFps\":29.900,"
              "\"savedFps\":9.967,\"metadataFile\":\"out/capture.json\"}\n");
    EXPECT_EQ(writtenTo(std::cout, [&] { emitCaptureCompleted(CaptureBackend::Orbbec, s, "a\"b/capture.json"); }),
              "{\"event\":\"captureCompleted\",\"backend\":\"orbbec\",\"actualDurationMs\":3010,\"receivedFrames\":90,"
              "\"savedFrames\":30,\"missingFrames\":1,\"incompleteFrames\":2,\"skippedFrames\":58,"
              "\"receivedFps\":29.900,\"savedFps\":9.967,\"metadataFile\":\"a\\\"b/capture.json\"}\n");
}

