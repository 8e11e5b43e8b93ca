// kestrum-capture against the simulated Kinect v2 (or no camera), as the calling program
// sees it: every standard output line, the files on disk, capture.json, the exit code;
// and a nearly full disk with either camera.
#include "CaptureOutput.h"
#include "TinyTmpfs.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::string kWarmUpTimeOut =
    "{\"event\":\"error\",\"message\":\"Zeitüberschreitung während der Aufwärmphase.\"}";

ChildResult runKinect(const std::vector<std::string>& args, const std::string& kinectSetting,
                      const std::string& workingDir = "")
{
    return runCapture(args, "", kinectSetting, workingDir);
}

const std::vector<std::string> kCompletedKeys = {"event",         "actualDurationMs", "receivedFrames",
                                                 "savedFrames",   "missingFrames",    "incompleteFrames",
                                                 "skippedFrames", "receivedFps",      "savedFps",
                                                 "metadataFile"};
const std::vector<std::string> kMetadataKeys = {
    "serial",        "requestedDurationMs", "actualDurationMs", "requestedSampleFps", "receivedFrames",
    "savedFrames",   "missingFrames",       "incompleteFrames", "skippedFrames",      "receivedFps",
    "savedFps",      "width",               "height",           "depthFormat",        "camera"};

// The counters of a completed run agree with each other and with capture.json.
void expectCompletedRun(const JsonValue& completed, const std::string& outputDir)
{
    ASSERT_EQ(completed.keys(), kCompletedKeys);
    EXPECT_EQ(integer(completed["receivedFrames"]), integer(completed["savedFrames"]) +
                                                        integer(completed["incompleteFrames"]) +
                                                        integer(completed["skippedFrames"]));
    EXPECT_GE(integer(completed["actualDurationMs"]), 1000);
    for (const char* rate : {"receivedFps", "savedFps"}) {
        const std::string& text = completed[rate].text;
        EXPECT_EQ(text.size() - text.find('.'), 4u) << rate << " " << text;
    }
    EXPECT_EQ(completed["metadataFile"].text, outputDir + "/capture.json");

    const std::string metadataText = readFileBytes(outputDir + "/capture.json");
    ASSERT_GE(metadataText.size(), 3u);
    EXPECT_EQ(metadataText.substr(metadataText.size() - 3), "\n}\n");
    const JsonValue metadata = parseJson(metadataText);
    ASSERT_EQ(metadata.keys(), kMetadataKeys);
    for (const char* key : {"actualDurationMs", "receivedFrames", "savedFrames", "missingFrames",
                            "incompleteFrames", "skippedFrames", "receivedFps", "savedFps"}) {
        EXPECT_EQ(metadata[key].text, completed[key].text) << key;
    }
    EXPECT_EQ(metadata["width"].text, "512");
    EXPECT_EQ(metadata["height"].text, "424");
    EXPECT_EQ(metadata["depthFormat"].text, "uint16-little-endian-mm");
    EXPECT_EQ(metadata["camera"].keys(), (std::vector<std::string>{"fx", "fy", "cx", "cy"}));
}

std::string frameSavedLine(const std::string& outputDir, int index, const JsonValue& event)
{
    char number[16];
    std::snprintf(number, sizeof number, "%04d", index);
    return "{\"event\":\"frameSaved\",\"index\":" + std::to_string(index) + ",\"timestampMs\":" +
           event["timestampMs"].text + ",\"colorFile\":\"" + outputDir + "/color/color-" + number +
           ".jpg\",\"depthFile\":\"" + outputDir + "/depth/depth-" + number + ".png\",\"depthRawFile\":\"" +
           outputDir + "/depth-raw/depth-" + number + ".bin\"}";
}

} // namespace

TEST(KinectCapture, RecordsACompleteSeries)
{
    ScratchDir scratch;
    const std::string outputDir = scratch / "series";

    const ChildResult result = runKinect({outputDir, "1000", "5"}, "attached;serial=KIN\"E\\CT-7");

    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = splitLines(result.out);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_GE(events.size(), 3u) << result.out;
    EXPECT_EQ(lines.front(),
              "{\"event\":\"deviceOpened\",\"serial\":\"KIN\\\"E\\\\CT-7\",\"durationMs\":1000,\"sampleFps\":5}");
    const JsonValue& completed = events.back();
    EXPECT_EQ(completed["event"].text, "captureCompleted");
    expectCompletedRun(completed, outputDir);
    EXPECT_EQ(parseJson(readFileBytes(outputDir + "/capture.json"))["serial"].text, "KIN\"E\\CT-7");

    const int saved = static_cast<int>(integer(completed["savedFrames"]));
    ASSERT_GE(saved, 1);
    ASSERT_EQ(events.size(), static_cast<size_t>(saved) + 2);
    long long previousTimestamp = -1000;
    for (int index = 0; index < saved; ++index) {
        const JsonValue& event = events[index + 1];
        EXPECT_EQ(lines[index + 1], frameSavedLine(outputDir, index, event));
        // At 5 frames per second a frame is kept no earlier than 199 ms after the one before.
        EXPECT_GE(integer(event["timestampMs"]), previousTimestamp + 199) << lines[index + 1];
        previousTimestamp = integer(event["timestampMs"]);
    }

    // Five files per saved frame and nothing else.
    for (const char* directory : {"color", "color-full", "color-map", "depth", "depth-raw"}) {
        EXPECT_EQ(filesIn(outputDir + "/" + directory), static_cast<size_t>(saved)) << directory;
    }
    const std::string raw = readFileBytes(outputDir + "/depth-raw/depth-0000.bin");
    ASSERT_EQ(raw.size(), 434176u);
    const cv::Mat png = cv::imread(outputDir + "/depth/depth-0000.png", cv::IMREAD_UNCHANGED);
    ASSERT_EQ(png.type(), CV_16UC1);
    ASSERT_EQ(png.size(), cv::Size(512, 424));
    EXPECT_EQ(std::memcmp(png.data, raw.data(), raw.size()), 0) << "PNG values differ from the raw values";
    EXPECT_GT(cv::countNonZero(png), 0);

    const std::string map = readFileBytes(outputDir + "/color-map/color-map-0000.bin");
    ASSERT_EQ(map.size(), 868352u);
    std::vector<int32_t> entries(map.size() / 4);
    std::memcpy(entries.data(), map.data(), map.size());
    size_t unmapped = 0;
    for (const int32_t entry : entries) {
        if (entry == -1) {
            ++unmapped;
        } else {
            ASSERT_GE(entry, 0);
            ASSERT_LT(entry, 1920 * 1080);
        }
    }
    EXPECT_GT(unmapped, 0u);
    EXPECT_LT(unmapped, entries.size());

    EXPECT_EQ(cv::imread(outputDir + "/color/color-0000.jpg").size(), cv::Size(512, 424));
    EXPECT_EQ(cv::imread(outputDir + "/color-full/color-full-0000.jpg").size(), cv::Size(1920, 1080));

    // The library's own log lines go to standard error, never between the event lines.
    for (const std::string& line : splitLines(result.err)) {
        EXPECT_EQ(line.front(), '[') << line;
    }
}

TEST(KinectCapture, ASeriesWithoutSavedFramesStillEndsWithItsSummary)
{
    ScratchDir scratch;
    const std::string outputDir = scratch / "series";

    // The 15 frame sets all go to the warm-up; the one request waits its full 2000 ms. A low
    // frame rate keeps the simulated camera from delivering two sets before one is taken.
    const ChildResult result = runKinect({outputDir, "1000", "1"}, "attached;fps=5;frames=15");
    if (lastLine(result.err) == kWarmUpTimeOut) {
        GTEST_SKIP() << "the simulated camera fell behind on this loaded machine and the warm-up lost frame sets";
    }

    EXPECT_EQ(result.exitCode, 1) << result.err;
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_EQ(events.size(), 2u) << result.out;
    EXPECT_EQ(events[0]["event"].text, "deviceOpened");
    const JsonValue& completed = events[1];
    expectCompletedRun(completed, outputDir);
    EXPECT_EQ(completed["savedFrames"].text, "0");
    EXPECT_EQ(completed["receivedFrames"].text, "0");
    EXPECT_EQ(completed["savedFps"].text, "0.000");
    EXPECT_GE(integer(completed["missingFrames"]), 1);
    EXPECT_GE(integer(completed["actualDurationMs"]), 2000);
    EXPECT_EQ(filesIn(outputDir + "/depth-raw"), 0u);
}

TEST(KinectCapture, DeviceFailuresGiveTheirErrorLineAndNoEvents)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "Keine Kinect v2 gefunden."},
        {"attached;fail=open", "Kinect konnte nicht geöffnet werden."},
        {"attached;fail=start", "Kinect konnte nicht gestartet werden."},
    };
    for (const auto& [setting, message] : cases) {
        SCOPED_TRACE(setting);
        ScratchDir scratch;
        const ChildResult result = runKinect({scratch / "series", "1000", "10"}, setting);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(lastLine(result.err), "{\"event\":\"error\",\"message\":\"" + message + "\"}");
        EXPECT_EQ(result.err.back(), '\n');
        // Before it, standard error carries only libfreenect2's own "[Level] message" log lines.
        const std::vector<std::string> lines = splitLines(result.err);
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            EXPECT_EQ(lines[i].front(), '[') << lines[i];
        }
        for (const char* name : {"color", "color-full", "color-map", "depth", "depth-raw"}) {
            EXPECT_TRUE(fs::is_directory(scratch / ("series/" + std::string(name)))) << name;
        }
        EXPECT_FALSE(fs::exists(scratch / "series/capture.json"));
    }
}

TEST(KinectCapture, AWarmUpThatRunsOutOfFramesEndsTheRun)
{
    ScratchDir scratch;
    const std::string outputDir = scratch / "series";

    const ChildResult result = runKinect({outputDir, "1000", "10"}, "attached;frames=5");

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_EQ(events.size(), 1u) << result.out;
    EXPECT_EQ(events[0]["event"].text, "deviceOpened");
    EXPECT_EQ(lastLine(result.err), kWarmUpTimeOut);
    EXPECT_FALSE(fs::exists(outputDir + "/capture.json"));
}

TEST(KinectCapture, CaptureJsonInTheWayEndsTheRunWithoutCompletion)
{
    ScratchDir scratch;
    fs::create_directories(scratch / "rel/capture.json");

    // A relative output directory with a trailing "/" is reported as given, without a doubled "/".
    const ChildResult result = runKinect({"rel/", "1000", "2"}, "attached", scratch.path());

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<std::string> lines = splitLines(result.out);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_GE(events.size(), 2u) << result.out;
    EXPECT_EQ(events.back()["event"].text, "frameSaved");
    EXPECT_EQ(events[1]["colorFile"].text, "rel/color/color-0000.jpg");
    EXPECT_EQ(lastLine(result.err),
              "{\"event\":\"error\",\"message\":\"capture.json konnte nicht geschrieben werden.\"}");
    EXPECT_TRUE(fs::exists(scratch / "rel/depth-raw/depth-0000.bin"));
}

TEST(KinectCapture, AFullDiskEndsTheRunAtTheFileThatDidNotFit)
{
    ScratchDir scratch;
    const std::string outputDir = scratch / "series";
    fs::create_directories(outputDir + "/depth-raw");
    const TinyTmpfs disk(outputDir + "/depth-raw", "256k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }

    const ChildResult result = runKinect({outputDir, "1000", "10"}, "attached");

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_EQ(events.size(), 1u) << "no frameSaved for a truncated file: " << result.out;
    EXPECT_EQ(lastLine(result.err), "{\"event\":\"error\",\"message\":\"Tiefen-Rohdatei konnte nicht geschrieben "
                                    "werden: " + outputDir + "/depth-raw/depth-0000.bin\"}");
    EXPECT_TRUE(fs::exists(outputDir + "/depth/depth-0000.png"));
    EXPECT_FALSE(fs::exists(outputDir + "/capture.json"));
}

// An earlier run's raw file on a nearly full disk: the new raw file can never
// fit beside it, so no frame is saved, the earlier file stays as it was, and no
// incomplete or temporary file is left behind. Both cameras. The free space
// leaves the first frame's depth PNG one page short: a writer that truncated the
// earlier raw file before writing would free room for it and save the frame.
TEST(KinectCapture, ANearlyFullDiskLeavesOnlyCompleteFilesWithEitherCamera)
{
    struct Camera {
        const char* orbbec;
        const char* kinect;
        std::size_t rawDepthBytes;
        off_t freeBytes;
    };
    for (const Camera& camera : {Camera{"", "attached", 434176, 251 * 4096},
                                 Camera{"attached", "", 1843200, 31 * 4096}}) {
        SCOPED_TRACE(camera.rawDepthBytes);
        ScratchDir scratch;
        fs::create_directories(scratch / "m");
        const TinyTmpfs disk(scratch / "m", "4096000");
        if (!disk.mounted()) {
            GTEST_SKIP() << disk.skipReason();
        }
        const std::string outputDir = scratch / "m/out";
        fs::create_directories(outputDir + "/depth-raw");
        const std::string earlierRaw(camera.rawDepthBytes, '\x2a');
        std::ofstream(outputDir + "/depth-raw/depth-0000.bin", std::ios::binary) << earlierRaw;
        ASSERT_TRUE(disk.fillUp(camera.freeBytes));

        const ChildResult result = runCapture({outputDir, "1000", "10"}, camera.orbbec, camera.kinect);

        EXPECT_EQ(result.exitCode, 1);
        const std::vector<JsonValue> events = eventLines(result);
        EXPECT_EQ(events.size(), 1u) << result.out;
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events[0]["event"].text, "deviceOpened");
        EXPECT_EQ(lastLine(result.err).rfind("{\"event\":\"error\"", 0), 0u) << result.err;
        EXPECT_TRUE(readFileBytes(outputDir + "/depth-raw/depth-0000.bin") == earlierRaw);
        EXPECT_EQ(incompleteOrTemporaryFiles(outputDir, camera.rawDepthBytes), std::vector<std::string>{});
    }
}

// Only capture.json meets the full disk: the frame folders lie elsewhere.
TEST(KinectCapture, ACaptureJsonThatCannotBeWrittenLeavesNoneNotEvenAnEarlierOne)
{
    ScratchDir scratch;
    const std::string outputDir = scratch / "series";
    fs::create_directories(outputDir);
    const TinyTmpfs disk(outputDir, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }
    for (const std::string name : {"color", "color-full", "color-map", "depth", "depth-raw"}) {
        fs::create_directories(scratch / ("frames/" + name));
        fs::create_directory_symlink(scratch / ("frames/" + name), outputDir + "/" + name);
    }
    std::ofstream(outputDir + "/capture.json") << "{\"serial\": \"an earlier run\"}\n";
    ASSERT_TRUE(disk.fillUp());

    const ChildResult result = runKinect({outputDir, "1000", "10"}, "attached");

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back()["event"].text, "frameSaved");
    EXPECT_EQ(lastLine(result.err),
              "{\"event\":\"error\",\"message\":\"capture.json konnte nicht geschrieben werden.\"}");
    EXPECT_FALSE(fs::exists(outputDir + "/capture.json"));
    EXPECT_EQ(filesIn(outputDir), 6u) << "the five folders and the filler, no temporary file";
}

TEST(KinectCapture, UncreatableOutputDirectoryGivesOneErrorLineAndExit1)
{
    ScratchDir scratch;
    std::ofstream(scratch / "blocker") << "a regular file";
    const std::string outputDir = scratch / "blocker/series\x01\"x";

    const ChildResult result = runKinect({outputDir, "1000", "1"}, "");

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
