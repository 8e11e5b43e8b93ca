// kestrum-capture as a process: the run driver's output and exit code when no
// series can be recorded.
#include "ChildProcess.h"
#include "Json.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(CaptureDriver, UncreatableOutputDirectoryGivesOneErrorLineAndExit1)
{
    ScratchDir scratch;
    std::ofstream(scratch / "blocker") << "a regular file";
    const std::string outputDir = scratch / "blocker/series\x01\"x";

    const ChildResult result = runChild({captureProgramPath(), {outputDir, "1000", "1"}, {}, {}});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    const auto lines = splitLines(result.err);
    ASSERT_EQ(lines.size(), 1u) << result.err;
    ASSERT_EQ(result.err.back(), '\n');
    const JsonValue error = parseJson(lines[0]);
    EXPECT_EQ(error.keys(), (std::vector<std::string>{"event", "message"}));
    EXPECT_EQ(error["event"].text, "error");
    // The library's own message, which names the path that failed.
    EXPECT_NE(error["message"].text.find(outputDir + "/color"), std::string::npos) << error["message"].text;
}

TEST(CaptureDriver, NoCameraAtAllGivesTheKinectErrorAndCreatesAllFiveDirectories)
{
    ScratchDir scratch;
    const ChildResult result = runChild({captureProgramPath(), {scratch / "series/", "1000", "1"}, {}, {}});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    // Before it, standard error may carry libfreenect2's own "[Level] message" log lines.
    const auto lines = splitLines(result.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "{\"event\":\"error\",\"message\":\"Keine Kinect v2 gefunden.\"}");
    EXPECT_EQ(result.err.back(), '\n');
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind("[Info] ", 0), 0u) << lines[i];
    }
    for (const char* name : {"color", "color-full", "color-map", "depth", "depth-raw"}) {
        EXPECT_TRUE(fs::is_directory(scratch / ("series/" + std::string(name)))) << name;
    }
    EXPECT_FALSE(fs::exists(scratch / "series/capture.json"));
}
