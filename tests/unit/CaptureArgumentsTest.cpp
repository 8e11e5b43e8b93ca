// The capture command line: defaults and clamping.
#include "CaptureArguments.h"

#include <gtest/gtest.h>

TEST(ParseIntArgument, ClampsRepresentableNumbersAndFallsBackOtherwise)
{
    const auto duration = [](const char* text) { return parseIntArgument(text, 10000, 1000, 10000); };
    EXPECT_EQ(duration(nullptr), 10000);
    EXPECT_EQ(duration("500"), 1000);
    EXPECT_EQ(duration("20000"), 10000);
    EXPECT_EQ(duration("-5"), 1000);
    EXPECT_EQ(duration("abc"), 10000);
    EXPECT_EQ(duration(""), 10000);
    EXPECT_EQ(duration("2500ms"), 2500);
    EXPECT_EQ(duration(" 3000"), 3000);
    EXPECT_EQ(duration("+4000"), 4000);
    EXPECT_EQ(duration("99999999999"), 10000);
    EXPECT_EQ(duration("-99999999999"), 10000);

    const auto rate = [](const char* text) { return parseIntArgument(text, 10, 1, 10); };
    EXPECT_EQ(rate("0"), 1);
    EXPECT_EQ(rate("15"), 10);
    EXPECT_EQ(rate("2.5"), 2);
    EXPECT_EQ(rate("x"), 10);
}

TEST(ParseCaptureArguments, PositionalArgumentsWithDefaults)
{
    const char* none[] = {"kestrum-capture"};
    const CaptureOptions defaults = parseCaptureArguments(1, none);
    EXPECT_EQ(defaults.outputDir, "/usr/local/var/kestrum-measurement/tmp/test-series");
    EXPECT_EQ(defaults.durationMs, 10000);
    EXPECT_EQ(defaults.sampleFps, 10);

    const char* four[] = {"kestrum-capture", "out", "3000", "5", "ignored"};
    const CaptureOptions given = parseCaptureArguments(5, four);
    EXPECT_EQ(given.outputDir, "out");
    EXPECT_EQ(given.durationMs, 3000);
    EXPECT_EQ(given.sampleFps, 5);

    const char* emptyDir[] = {"kestrum-capture", ""};
    EXPECT_EQ(parseCaptureArguments(2, emptyDir).outputDir, "");
}
