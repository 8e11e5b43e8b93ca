// escapeJson: every text becomes a valid JSON string that decodes back to itself.
#include "EventLines.h"
#include "Json.h"
#include "JsonEscape.h"

#include <gtest/gtest.h>

TEST(JsonEscape, ShortEscapesAndUnchangedBytes)
{
    EXPECT_EQ(escapeJson("a\"b\\c\nd\re\tf"), "a\\\"b\\\\c\\nd\\re\\tf");
    EXPECT_EQ(escapeJson("Ungültig ä/ö"), "Ungültig ä/ö");
    EXPECT_EQ(escapeJson(""), "");
}

TEST(JsonEscape, OtherControlBytesBecomeUnicodeEscapes)
{
    EXPECT_EQ(escapeJson(std::string("\x01\x08\x1b\x1f", 4)), "\\u0001\\u0008\\u001b\\u001f");
    EXPECT_EQ(escapeJson(std::string("a\0b", 3)), "a\\u0000b");
    EXPECT_EQ(escapeJson("\x7f"), "\x7f");
}

TEST(JsonEscape, ErrorLineWithEveryControlByteIsValidJsonAndDecodesBack)
{
    std::string message;
    for (int byte = 0x01; byte <= 0x1f; ++byte) {
        message += static_cast<char>(byte);
    }
    message += "\"\\ Größe";
    const std::string line = errorLine(message);
    const JsonValue parsed = parseJson(line);
    EXPECT_EQ(parsed.keys(), (std::vector<std::string>{"event", "message"}));
    EXPECT_EQ(parsed["event"].text, "error");
    EXPECT_EQ(parsed["message"].text, message);
}
