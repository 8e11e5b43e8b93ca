// The summary line byte for byte, and escapeJson: its forms, and every control byte decodes back
// (the error lines show byte for byte in the programs' runs).
#include "EventLines.h"
#include "Json.h"
#include "JsonEscape.h"
#include "StreamCapture.h"

#include <gtest/gtest.h>

#include <iostream>

TEST(JsonEscape, ShortEscapesUnicodeEscapesUnchangedBytesAndEveryControlByteDecodesBack)
{
    EXPECT_EQ(escapeJson("a\"b\\c\nd\re\tf"), "a\\\"b\\\\c\\nd\\re\\tf");
    EXPECT_EQ(escapeJson("Ungültig ä/ö\x7f"), "Ungültig ä/ö\x7f");
    EXPECT_EQ(escapeJson(std::string("\x01\x08\x1b\x1f" "a\0b", 7)), "\\u0001\\u0008\\u001b\\u001fa\\u0000b");
    std::string controls;
    for (char byte = 0x01; byte < 0x20; ++byte) controls += byte;
    EXPECT_EQ(parseJson("\"" + escapeJson(controls) + "\"").text, controls);
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

