// kestrum-capture against the simulated Kinect v2 (or no camera), as the calling program
// sees it: every standard output line, the files on disk, capture.json, the exit code;
// and, with either camera, stop signals and a standard output that fails or stalls.
#include "CaptureOutput.h"
#include "TinyTmpfs.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <csignal>
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

// A capture launch with one camera attached, given its setting.
ChildLaunch captureWith(bool orbbec, const std::string& setting, const std::vector<std::string>& args,
                        ChildStdout stdoutSetup = ChildStdout::Read)
{
    return {captureProgramPath(), args,
            {{"KESTRUM_SIM_ORBBEC", orbbec ? setting : ""}, {"KESTRUM_SIM_KINECT", orbbec ? "" : setting}}, "",
            stdoutSetup};
}

const std::string kStandardOutputError =
    "{\"event\":\"error\",\"message\":\"Standardausgabe konnte nicht geschrieben werden.\"}";

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

TEST(KinectCapture, StandardOutputThatCannotBeWrittenEndsTheRunLikeAFailedFrame)
{
    for (const bool orbbec : {false, true}) {
        for (const ChildStdout setup : {ChildStdout::Full, ChildStdout::Closed, ChildStdout::Read}) {
            SCOPED_TRACE(std::string(orbbec ? "Orbbec" : "Kinect v2") + ", set-up " + std::to_string(int(setup)));
            ScratchDir scratch;
            ChildProcess child(captureWith(orbbec, "attached", {scratch / "series", "2000", "10"}, setup));
            if (setup == ChildStdout::Read) {  // the reader goes away after the first line
                child.readStdoutAtLeast(1, std::chrono::seconds(60));
                child.closeStdout();
            }
            const ChildResult result = child.wait();

            EXPECT_EQ(result.termSignal, 0);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(lastLine(result.err), kStandardOutputError);
            EXPECT_FALSE(fs::exists(scratch / "series/capture.json"));
        }
    }
}

// OpenCV prints debug lines too, which must not come between the event lines.
TEST(KinectCapture, StopSignalEndsTheSamplingInOrderWithTheActualDuration)
{
    for (const bool orbbec : {false, true}) {
        SCOPED_TRACE(orbbec ? "Orbbec" : "Kinect v2");
        ScratchDir scratch;
        const std::string outputDir = scratch / "series";
        ChildLaunch launch = captureWith(orbbec, "attached", {outputDir, "10000", "10"});
        launch.env["OPENCV_LOG_LEVEL"] = "DEBUG";
        ChildProcess child(launch);
        // Lines go out whole, so 300 bytes hold "deviceOpened" and at least one "frameSaved".
        child.readStdoutAtLeast(300, std::chrono::seconds(60));
        child.sendSignal(orbbec ? SIGINT : SIGTERM);
        const ChildResult result = child.wait();

        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::vector<JsonValue> events = eventLines(result);
        ASSERT_GE(events.size(), 3u) << result.out;
        const JsonValue& completed = events.back();
        ASSERT_EQ(completed["event"].text, "captureCompleted");
        EXPECT_EQ(static_cast<long long>(events.size()), integer(completed["savedFrames"]) + 2);
        for (size_t index = 1; index + 1 < events.size(); ++index) {
            for (const char* file : {"colorFile", "depthFile", "depthRawFile"}) {
                EXPECT_TRUE(fs::is_regular_file(events[index][file].text)) << events[index][file].text;
            }
        }
        const JsonValue metadata = parseJson(readFileBytes(outputDir + "/capture.json"));
        EXPECT_EQ(metadata["requestedDurationMs"].text, "10000");
        EXPECT_EQ(metadata["actualDurationMs"].text, completed["actualDurationMs"].text);
        EXPECT_LT(integer(completed["actualDurationMs"]), 10000);
    }
}

// A slow feed keeps the run in its warm-up when the signal comes. With a reader, the run ends
// like any that saved nothing; with a stalled reader, "captureCompleted" cannot be written
// within half a second of the stop, so the run fails and takes capture.json back.
TEST(KinectCapture, StopSignalDuringTheWarmUpEndsTheRunWithNothingSavedEvenWithAStalledReader)
{
    for (const bool orbbec : {false, true}) {
        for (const ChildStdout setup : {ChildStdout::Read, ChildStdout::UnreadOnePage}) {
            const bool stalled = setup == ChildStdout::UnreadOnePage;
            SCOPED_TRACE(std::string(orbbec ? "Orbbec" : "Kinect v2") + (stalled ? ", stalled reader" : ""));
            ScratchDir scratch;
            const std::string outputDir = scratch / "series";
            ChildProcess child(captureWith(orbbec, "attached;fps=2", {outputDir, "10000", "10"}, setup));
            if (stalled) {
                ASSERT_TRUE(child.waitUntilStdoutWritten(std::chrono::seconds(60)));
            } else {
                child.readStdoutAtLeast(1, std::chrono::seconds(60));
            }
            child.sendSignal(SIGTERM);
            const ChildResult result = child.wait();

            EXPECT_EQ(result.exitCode, 1) << result.err;
            EXPECT_EQ(fs::exists(outputDir + "/capture.json"), !stalled);
            if (stalled) {
                EXPECT_EQ(lastLine(result.err), kStandardOutputError);
                continue;
            }
            const std::vector<JsonValue> events = eventLines(result);
            ASSERT_EQ(events.size(), 2u) << result.out;
            EXPECT_EQ(events[1]["event"].text, "captureCompleted");
            EXPECT_EQ(events[1]["savedFrames"].text, "0");
            EXPECT_EQ(result.err.find("{\"event\":\"error\""), std::string::npos) << result.err;
        }
    }
}
