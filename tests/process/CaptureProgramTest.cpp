// kestrum-capture against the simulated cameras, as the calling program sees it: every
// standard output line, the files on disk, capture.json, standard error and the exit code;
// stop signals and a standard output that fails or stalls.
#include "CaptureOutput.h"
#include "TinyTmpfs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::string kTimingHeader =
    "index,timestampMs,hostWallClockUs,hostMonotonicUs,receivedSincePrevious,colorFrameNumber,colorDeviceTimestampUs,"
    "colorSystemTimestampUs,colorGlobalTimestampUs,colorExposure,colorGain,depthFrameNumber,depthDeviceTimestampUs,"
    "depthSystemTimestampUs,depthGlobalTimestampUs,depthExposure,depthGain,samplingStartWallClockUs,"
    "samplingStartMonotonicUs";

std::string errorLine(const std::string& message)
{
    return "{\"event\":\"error\",\"message\":\"" + message + "\"}";
}

// Every line on standard error is one of libfreenect2's "[Level] message" log lines.
void expectOnlyLibraryLog(const std::string& err)
{
    for (const std::string& line : splitLines(err)) {
        EXPECT_EQ(line.front(), '[') << line;
    }
}

void expectCountersAddUp(const JsonValue& completed)
{
    EXPECT_EQ(integer(completed["receivedFrames"]), integer(completed["savedFrames"]) +
                                                        integer(completed["incompleteFrames"]) +
                                                        integer(completed["skippedFrames"]));
}

// One "frameSaved" line per saved frame between "deviceOpened" and "captureCompleted", and
// one file per saved frame in each folder (none in color-map for the Orbbec camera).
void expectSavedFrames(const ChildResult& result, const std::string& out, bool colorMap)
{
    const std::vector<std::string> lines = splitLines(result.out);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_GE(events.size(), 3u) << result.out;
    const size_t saved = static_cast<size_t>(integer(events.back()["savedFrames"]));
    ASSERT_EQ(events.size(), saved + 2) << result.out;
    for (size_t index = 0; index < saved; ++index) {
        EXPECT_EQ(lines[index + 1], frameSavedLine(out, static_cast<int>(index), events[index + 1]["timestampMs"].text));
    }
    for (const char* folder : {"color", "color-full", "color-map", "depth", "depth-raw"}) {
        EXPECT_EQ(filesIn(out + "/" + folder), colorMap || std::strcmp(folder, "color-map") != 0 ? saved : 0u) << folder;
    }
}

// Frame 0's colour JPEGs in their qualities. Sizes, depth values against the raw file and the
// colour-to-depth map are checked by kestrum-series on recorded series.
void expectJpegQualities(const std::string& out)
{
    EXPECT_EQ(jpegQuality(readFileBytes(out + "/color/color-0000.jpg")), 88);
    EXPECT_EQ(jpegQuality(readFileBytes(out + "/color-full/color-full-0000.jpg")), 92);
}

// The Kinect v2 form of "captureCompleted" and capture.json, whose counters agree.
void expectKinectSummary(const JsonValue& completed, const std::string& out, const std::string& serial)
{
    ASSERT_EQ(completed.keys(), (std::vector<std::string>{"event", "actualDurationMs", "receivedFrames", "savedFrames",
                                                          "missingFrames", "incompleteFrames", "skippedFrames",
                                                          "receivedFps", "savedFps", "metadataFile"}));
    expectCountersAddUp(completed);
    for (const char* rate : {"receivedFps", "savedFps"}) {
        const std::string& text = completed[rate].text;
        EXPECT_EQ(text.size() - text.find('.'), 4u) << rate << " " << text;
    }
    EXPECT_EQ(completed["metadataFile"].text, out + "/capture.json");
    const std::string text = readFileBytes(out + "/capture.json");
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 3), "\n}\n");
    // Its form is checked byte for byte in the unit tests, and by kestrum-series on recorded series.
    const JsonValue metadata = parseJson(text);
    for (const char* key : {"actualDurationMs", "receivedFrames", "savedFrames", "missingFrames", "incompleteFrames",
                            "skippedFrames", "receivedFps", "savedFps"}) {
        EXPECT_EQ(metadata[key].text, completed[key].text) << key;
    }
    EXPECT_EQ(metadata["serial"].text, serial);
}

std::string fixed6(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// The whole capture.json of an Orbbec run of 1000 ms at 10 per second, given its "captureCompleted" line.
std::string orbbecCaptureJson(const JsonValue& completed, const std::string& device, const std::string& serial,
                              const std::string& depthScale, bool frameSync)
{
    const long long actual = integer(completed["actualDurationMs"]);
    const auto rate = [&](const char* key) {
        return actual == 0 ? fixed6(0.0) : fixed6(integer(completed[key]) * 1000.0 / actual);
    };
    return "{\n"
           "  \"backend\": \"orbbec\",\n"
           "  \"device\": \"" + device + "\",\n"
           "  \"serial\": \"" + serial + "\",\n"
           "  \"firmware\": \"1.0.0-sim\",\n"
           "  \"connection\": \"USB3.2\",\n"
           "  \"requestedDurationMs\": 1000,\n"
           "  \"actualDurationMs\": " + std::to_string(actual) + ",\n"
           "  \"requestedSampleFps\": 10,\n"
           "  \"receivedFrames\": " + completed["receivedFrames"].text + ",\n"
           "  \"savedFrames\": " + completed["savedFrames"].text + ",\n"
           "  \"missingFrames\": " + completed["missingFrames"].text + ",\n"
           "  \"incompleteFrames\": " + completed["incompleteFrames"].text + ",\n"
           "  \"skippedFrames\": " + completed["skippedFrames"].text + ",\n"
           "  \"receivedFps\": " + rate("receivedFrames") + ",\n"
           "  \"savedFps\": " + rate("savedFrames") + ",\n"
           "  \"width\": 1280,\n"
           "  \"height\": 720,\n"
           "  \"colorWidth\": 1280,\n"
           "  \"colorHeight\": 720,\n"
           "  \"depthFormat\": \"uint16-little-endian-mm\",\n"
           "  \"depthScale\": " + depthScale + ",\n"
           "  \"depthCoordinateSystem\": \"color\",\n"
           "  \"colorDepthMapRequired\": false,\n"
           "  \"frameSync\": " + (frameSync ? "true" : "false") + ",\n"
           "  \"camera\": {\n"
           "    \"fx\": 912.700012,\n"
           "    \"fy\": 912.400024,\n"
           "    \"cx\": 640.900024,\n"
           "    \"cy\": 361.299988\n"
           "  }\n"
           "}\n";
}

// A capture launch with one camera attached, given its setting.
ChildLaunch captureWith(bool orbbec, const std::string& setting, const std::vector<std::string>& args,
                        ChildStdout stdoutSetup = ChildStdout::Read)
{
    return {captureProgramPath(), args,
            {{"KESTRUM_SIM_ORBBEC", orbbec ? setting : ""}, {"KESTRUM_SIM_KINECT", orbbec ? "" : setting}}, "",
            stdoutSetup};
}

} // namespace

// With no Orbbec camera attached the Kinect v2 records; the Orbbec camera wins over an attached
// Kinect v2, which is not even enumerated. Device texts go into the lines escaped.
TEST(CaptureProgram, RecordsACompleteSeriesFromEitherCamera)
{
    for (const bool orbbec : {false, true}) {
        SCOPED_TRACE(orbbec ? "Orbbec" : "Kinect v2");
        ScratchDir scratch;
        const std::string out = scratch / "series";
        const ChildResult result =
            orbbec ? runCapture({out, "1000", "10"}, "name=Gem\"ini 335;serial=S\\1;depth-scale=0.5", "attached;serial=KINECT1")
                   : runCapture({out, "1000", "5"}, "", "attached;serial=KIN\"E\\CT-7");

        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(splitLines(result.out).front(),
                  orbbec ? "{\"event\":\"deviceOpened\",\"backend\":\"orbbec\",\"device\":\"Gem\\\"ini 335\",\"serial\":\"S\\\\1\","
                           "\"durationMs\":1000,\"sampleFps\":10}"
                         : "{\"event\":\"deviceOpened\",\"serial\":\"KIN\\\"E\\\\CT-7\",\"durationMs\":1000,\"sampleFps\":5}");
        expectSavedFrames(result, out, !orbbec);
        expectJpegQualities(out);
        // The libraries' own log lines go to standard error, never between the event lines.
        expectOnlyLibraryLog(result.err);
        const std::vector<JsonValue> events = eventLines(result);
        ASSERT_GE(events.size(), 3u);
        const JsonValue& completed = events.back();  // its form is checked byte for byte in the unit tests
        EXPECT_EQ(completed["event"].text, "captureCompleted");
        if (orbbec) {
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(completed["backend"].text, "orbbec");
            EXPECT_EQ(completed["metadataFile"].text, out + "/capture.json");
            expectCountersAddUp(completed);
            EXPECT_EQ(readFileBytes(out + "/capture.json"),
                      orbbecCaptureJson(completed, "Gem\\\"ini 335", "S\\\\1", "0.500000", true));
            continue;
        }
        expectKinectSummary(completed, out, "KIN\"E\\CT-7");
        EXPECT_GE(integer(completed["actualDurationMs"]), 1000);
        // The registration fills in the map: not every entry is -1.
        const std::string map = readFileBytes(out + "/color-map/color-map-0000.bin");
        EXPECT_NE(map, std::string(map.size(), '\xff'));
    }
}

// Fifteen frame sets, all taken by the warm-up; every later wait runs out (timing.csv holds its header alone) (the Kinect v2's one
// request after its full 2000 ms). Both cameras hold their frames back until they are taken, so
// that a slow start loses none; the Orbbec camera's refused frame synchronisation is an SDK error
// logged to stderr.
TEST(CaptureProgram, NothingSavedStillEndsWithTheSummaryAndCaptureJsonAndExit1)
{
    for (const bool orbbec : {false, true}) {
        SCOPED_TRACE(orbbec ? "Orbbec" : "Kinect v2");
        ScratchDir scratch;
        const std::string out = scratch / "series";
        const ChildResult result =
            orbbec ? runCapture({out, "1000", "10"}, "frames=15;lossless=yes;depth-scale=0.25;fail=frame-sync", "")
                   : runCapture({out, "1000", "1"}, "", "attached;frames=15;lossless=yes");

        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_NE(result.err, "");
        expectOnlyLibraryLog(result.err);
        const std::vector<JsonValue> events = eventLines(result);
        ASSERT_EQ(events.size(), 2u) << result.out << result.err;
        EXPECT_EQ(events[0]["event"].text, "deviceOpened");
        const JsonValue& completed = events[1];
        EXPECT_EQ(completed["event"].text, "captureCompleted");
        EXPECT_EQ(completed["savedFrames"].text, "0");
        EXPECT_EQ(completed["receivedFrames"].text, "0");
        EXPECT_EQ(completed["savedFps"].text, "0.000");
        EXPECT_EQ(readFileBytes(out + "/timing.csv"), kTimingHeader + "\n");
        if (orbbec) {
            EXPECT_GE(integer(completed["missingFrames"]), 1);
            // The depth scale of a frame that was never saved is not reported.
            EXPECT_EQ(readFileBytes(out + "/capture.json"),
                      orbbecCaptureJson(completed, "Orbbec Gemini 335 (simulated)", "SIMORB0000001", "1.000000", false));
        } else {
            EXPECT_EQ(completed["missingFrames"].text, "1");
            EXPECT_GE(integer(completed["actualDurationMs"]), 2000);
            expectKinectSummary(completed, out, "SIMKINECT001");
        }
    }
}

// The libraries' log lines, then the error line; the folders are made, capture.json is not.
// Standard output holds "deviceOpened" when the warm-up ran out of frames, else nothing.
// The Kinect v2's start failure is checked with its teardown.
TEST(CaptureProgram, CameraFailuresGiveTheirErrorLineAndAFailedOrbbecNeverLeadsToTheKinect)
{
    const struct {
        const char* orbbec;
        const char* kinect;
        std::string message;
        size_t events = 0;  // 1: "deviceOpened"
    } cases[] = {
        {"frames=5", "attached;frames=5", "Timeout beim Warten auf Orbbec-RGBD-Frame.", 1},
        {"", "attached;frames=5", "Zeitüberschreitung während der Aufwärmphase.", 1},
        // The first request after the warm-up fails; the test for a timeout is case-sensitive.
        {"grab-error-at=16;error=usb timeout", "attached", "usb timeout", 1},
        {"", "", "Keine Kinect v2 gefunden."},
        {"", "attached;fail=open", "Kinect konnte nicht geöffnet werden."},
        {"fail=open", "attached", "simulated failure: the device could not be opened (fail=open)"},
        {"fail=start", "attached", "simulated failure: the pipeline could not start its streams (fail=start)"},
        {"fail=color-profile", "attached", "Color 1280x720 BGR @30 nicht verfügbar."},
        {"fail=depth-profile", "attached", "Depth 1280x720 Y16 @30 nicht verfügbar."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.orbbec) + " " + c.kinect);
        ScratchDir scratch;
        const ChildResult result = runCapture({scratch / "series", "1000", "10"}, c.orbbec, c.kinect);

        EXPECT_EQ(result.exitCode, 1);
        const std::vector<JsonValue> events = eventLines(result);
        ASSERT_EQ(events.size(), c.events) << result.out;
        EXPECT_TRUE(events.empty() || events[0]["event"].text == "deviceOpened") << result.out;
        const std::string last = errorLine(c.message) + "\n";
        ASSERT_GE(result.err.size(), last.size()) << result.err;
        EXPECT_EQ(result.err.substr(result.err.size() - last.size()), last);
        expectOnlyLibraryLog(result.err.substr(0, result.err.size() - last.size()));
        EXPECT_EQ(result.err.find("Freenect2") == std::string::npos, *c.orbbec != '\0') << result.err;
        for (const char* name : {"color", "color-full", "color-map", "depth", "depth-raw"}) {
            EXPECT_TRUE(fs::is_directory(scratch / ("series/" + std::string(name)))) << name;
        }
        EXPECT_FALSE(fs::exists(scratch / "series/capture.json"));
    }
}

// Wait 16 is the first request after the fifteen warm-up frames, however slowly the run goes; with
// every depth frame empty, the request after it must still come and count as incomplete. Other grab
// failures end the run with their error line. A frame whose data are not what the camera was asked for is
// incomplete too, with a line that says what is wrong: lossless, every second frameset, seven in the warm-up.
TEST(OrbbecCapture, GrabFailuresThatSpeakOfATimeoutAreMissingFramesAndFramesNotAsAskedForIncomplete)
{
    ScratchDir scratch;
    const ChildResult forgiven = runCapture(
        {scratch / "forgiven", "1000", "10"}, "grab-error-at=16;error=USB Timeout while waiting;empty-depth-every=1", "");
    EXPECT_EQ(forgiven.exitCode, 1) << forgiven.err;
    const std::vector<JsonValue> events = eventLines(forgiven);
    ASSERT_FALSE(events.empty());
    const JsonValue& completed = events.back();
    ASSERT_EQ(completed["event"].text, "captureCompleted");
    EXPECT_GE(integer(completed["missingFrames"]), 1);
    EXPECT_GE(integer(completed["incompleteFrames"]), 1);
    EXPECT_EQ(integer(completed["savedFrames"]), 0);
    expectCountersAddUp(completed);

    for (const auto& [kind, line] :
         {std::pair{"color-size", "Orbbec-Farbbild verworfen: 2760960 Datenbytes statt 720 Zeilen zu 3840 Bytes (1280x720 BGR)."},
          {"depth-scale", "Orbbec-Tiefenbild verworfen: Wertskala 0 ist keine endliche positive Zahl."}}) {
        const ChildResult run =
            runCapture({scratch / kind, "1000", "10"}, std::string("lossless=yes;mismatch-every=2;mismatch=") + kind, "");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const long long incomplete = integer(eventLines(run).back()["incompleteFrames"]);
        EXPECT_GE(incomplete, 1) << kind;
        EXPECT_EQ(splitLines(run.err), std::vector<std::string>(static_cast<size_t>(7 + incomplete), line));
    }
}

TEST(KinectCapture, CaptureJsonInTheWayEndsTheRunWithoutCompletion)
{
    ScratchDir scratch;
    fs::create_directories(scratch / "rel/capture.json");

    // A relative output directory with a trailing "/" is reported as given, without a doubled "/".
    const ChildResult result = runCapture({"rel/", "1000", "2"}, "", "attached", scratch.path());

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_GE(events.size(), 2u) << result.out;
    EXPECT_EQ(events.back()["event"].text, "frameSaved");
    EXPECT_EQ(events[1]["colorFile"].text, "rel/color/color-0000.jpg");
    EXPECT_EQ(lastLine(result.err), errorLine("capture.json konnte nicht geschrieben werden."));
    EXPECT_TRUE(fs::exists(scratch / "rel/depth-raw/depth-0000.bin"));
}

TEST(CaptureProgram, UncreatableOutputDirectoryGivesOneErrorLineAndExit1)
{
    ScratchDir scratch;
    std::ofstream(scratch / "blocker") << "a regular file";
    const std::string out = scratch / "blocker/series\x01\"x";

    const ChildResult result = runCapture({out, "1000", "1"}, "", "");

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    ASSERT_EQ(splitLines(result.err).size(), 1u) << result.err;
    EXPECT_EQ(result.err.back(), '\n');
    // The library's own message, which names the path that failed.
    const JsonValue error = parseJson(lastLine(result.err));
    EXPECT_EQ(error.keys(), (std::vector<std::string>{"event", "message"}));
    EXPECT_EQ(error["event"].text, "error");
    EXPECT_NE(error["message"].text.find(out + "/color"), std::string::npos) << error["message"].text;
}

// An earlier run's capture.json stays only where "deviceOpened" could not be written, so that no
// frame file of the run took its name; the reader that goes away takes "deviceOpened" first.
TEST(CaptureProgram, StandardOutputThatCannotBeWrittenEndsTheRunLikeAFailedFrame)
{
    for (const bool orbbec : {false, true}) {
        for (const ChildStdout setup : {ChildStdout::Full, ChildStdout::Closed, ChildStdout::Read}) {
            SCOPED_TRACE(std::string(orbbec ? "Orbbec" : "Kinect v2") + ", set-up " + std::to_string(int(setup)));
            ScratchDir scratch;
            fs::create_directories(scratch / "series");
            std::ofstream(scratch / "series/capture.json") << "{\"serial\": \"an earlier run\"}\n";
            ChildProcess child(captureWith(orbbec, "attached", {scratch / "series", "2000", "10"}, setup));
            if (setup == ChildStdout::Read) {  // the reader goes away after the first line
                child.readStdoutAtLeast(1, std::chrono::seconds(60));
                child.closeStdout();
            }
            const ChildResult result = child.wait();

            EXPECT_EQ(result.termSignal, 0);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(lastLine(result.err), errorLine("Standardausgabe konnte nicht geschrieben werden."));
            EXPECT_EQ(fs::exists(scratch / "series/color/color-0000.jpg"), setup == ChildStdout::Read);
            EXPECT_EQ(fs::exists(scratch / "series/capture.json"), setup != ChildStdout::Read);
        }
    }
}

// A stop signal ends the sampling after the frame in progress, in order and with the actual duration.
// A slow feed keeps the run in its warm-up when the signal comes: with a reader, the run ends like any
// that saved nothing; with a stalled reader, "captureCompleted" cannot be written within half a second
// of the stop, so the run fails and takes capture.json and timing.csv back.
TEST(CaptureProgram, StopSignalsInTheSamplingAndInTheWarmUpEvenWithAStalledReader)
{
    enum When { Sampling, WarmUp, WarmUpWithAStalledReader };
    for (const bool orbbec : {false, true}) {
        for (const When when : {Sampling, WarmUp, WarmUpWithAStalledReader}) {
            SCOPED_TRACE(std::string(orbbec ? "Orbbec" : "Kinect v2") + ", case " + std::to_string(when));
            ScratchDir scratch;
            const std::string outputDir = scratch / "series";
            ChildLaunch launch = captureWith(orbbec, when == Sampling ? "attached" : "attached;fps=2", {outputDir, "10000", "10"},
                                             when == WarmUpWithAStalledReader ? ChildStdout::UnreadOnePage : ChildStdout::Read);
            ChildProcess child(launch);
            if (when == WarmUpWithAStalledReader) {
                ASSERT_TRUE(child.waitUntilStdoutWritten(std::chrono::seconds(60)));
            } else {
                // Lines go out whole, so 300 bytes hold "deviceOpened" and at least one "frameSaved".
                child.readStdoutAtLeast(when == Sampling ? 300 : 1, std::chrono::seconds(60));
            }
            child.sendSignal(orbbec && when == Sampling ? SIGINT : SIGTERM);
            const ChildResult result = child.wait();

            EXPECT_EQ(result.exitCode, when == Sampling ? 0 : 1) << result.err;
            EXPECT_EQ(fs::exists(outputDir + "/capture.json"), when != WarmUpWithAStalledReader);
            EXPECT_EQ(fs::exists(outputDir + "/timing.csv"), when != WarmUpWithAStalledReader);
            if (when == WarmUpWithAStalledReader) {
                EXPECT_EQ(lastLine(result.err), errorLine("Standardausgabe konnte nicht geschrieben werden."));
                continue;
            }
            EXPECT_EQ(result.err.find("{\"event\":\"error\""), std::string::npos) << result.err;
            const std::vector<JsonValue> events = eventLines(result);
            ASSERT_GE(events.size(), when == Sampling ? 3u : 2u) << result.out;
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
            EXPECT_EQ(completed["savedFrames"].text == "0", when == WarmUp);
        }
    }
}

// An earlier run's raw file on a nearly full disk: the new raw file can never
// fit beside it, so no frame is saved, the earlier file stays as it was, and no
// incomplete or temporary file is left behind. Both cameras. The free space
// leaves the first frame's depth PNG one page short: a writer that truncated the
// earlier raw file before writing would free room for it and save the frame.
TEST(CaptureProgram, ANearlyFullDiskLeavesOnlyCompleteFilesWithEitherCamera)
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

// An earlier series in the directory: its capture.json (or a link to one, whose file stays) and its
// timing.csv go just before the first file of the new run takes its name, color/ of frame 0; a run that
// fails before that leaves them. A directory in the way of a frame file makes the run fail right there, whatever the speed.
TEST(CaptureProgram, AnEarlierCaptureJsonGoesJustBeforeTheFirstFrameFileTakesItsName)
{
    const struct {
        bool link;
        std::string inTheWay;
        std::string message;
    } cases[] = {{false, "/color-full/color-full-0000.jpg", "Original-Farbbild konnte nicht gespeichert werden: "},
                 {true, "/color-full/color-full-0000.jpg", "Original-Farbbild konnte nicht gespeichert werden: "},
                 {false, "/color/color-0000.jpg", "Farbbild konnte nicht gespeichert werden: "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inTheWay + (c.link ? ", link" : ""));
        ScratchDir scratch;
        const std::string out = scratch / "series";
        const std::string summary = "{\"serial\": \"an earlier run\"}\n";
        fs::create_directories(out + c.inTheWay);
        std::ofstream(scratch / (c.link ? "elsewhere.json" : "series/capture.json")) << summary;
        std::ofstream(out + "/timing.csv") << kTimingHeader << "\n";
        if (c.link) fs::create_symlink("../elsewhere.json", out + "/capture.json");
        const bool firstFileFails = c.inTheWay == "/color/color-0000.jpg";

        const ChildResult result = runCapture({out, "1000", "10"}, "", "attached;lossless=yes");

        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(lastLine(result.err), errorLine(c.message + out + c.inTheWay));
        EXPECT_EQ(eventLines(result).size(), 1u) << result.out;
        EXPECT_EQ(fs::is_regular_file(out + "/color/color-0000.jpg"), !firstFileFails);
        EXPECT_EQ(fs::exists(fs::symlink_status(out + "/capture.json")), firstFileFails);
        EXPECT_EQ(fs::exists(out + "/timing.csv"), firstFileFails);
        if (c.link || firstFileFails) {
            EXPECT_EQ(readFileBytes(c.link ? scratch / "elsewhere.json" : out + "/capture.json"), summary);
        }
    }
}

// capture.json on a tiny file system of its own, the frame folders elsewhere. Read-only: an earlier
// capture.json cannot be removed, so the run ends before any frame file. Full: the run's own cannot
// be written; its frames stay, and no partial or temporary file is left.
TEST(CaptureProgram, ACaptureJsonThatCannotBeRemovedOrWrittenEndsTheRun)
{
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        ScratchDir scratch;
        const std::string out = scratch / "series";
        fs::create_directories(out);
        const TinyTmpfs disk(out, "64k");
        if (!disk.mounted()) {
            GTEST_SKIP() << disk.skipReason();
        }
        for (const std::string name : {"color", "color-full", "color-map", "depth", "depth-raw"}) {
            fs::create_directories(scratch / ("frames/" + name));
            fs::create_directory_symlink(scratch / ("frames/" + name), out + "/" + name);
        }
        const std::string summary = "{\"serial\": \"an earlier run\"}\n";
        if (readOnly) {
            std::ofstream(out + "/capture.json") << summary;
            ASSERT_TRUE(disk.makeReadOnly());
        } else {
            ASSERT_TRUE(disk.fillUp());
        }

        const ChildResult result = runCapture({out, "1000", "10"}, readOnly ? "attached" : "", readOnly ? "" : "attached");

        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(lastLine(result.err), errorLine("capture.json konnte nicht geschrieben werden."));
        const std::vector<JsonValue> events = eventLines(result);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back()["event"].text, readOnly ? "deviceOpened" : "frameSaved");
        EXPECT_EQ(fs::is_empty(scratch / "frames/color"), readOnly);
        if (readOnly) {
            EXPECT_EQ(readFileBytes(out + "/capture.json"), summary);
        } else {
            EXPECT_FALSE(fs::exists(out + "/capture.json"));
            EXPECT_EQ(filesIn(out), 6u) << "the five folders and the filler, no temporary file";
        }
    }
}

// timing.csv: a line for each "frameSaved" line, with its index and timestampMs; the host's clocks read
// within the run and moving together; each stream's device clock 25 ms a frame at 40 per second whatever
// frames were dropped (the Kinect v2's 0.125 ms counter wraps 0.9 s after its start); exposure, gain and
// the Orbbec SDK's host-side and global timestamps where the camera gives them, absent where it does not.
TEST(CaptureProgram, TheTimingFileHoldsEachKeptFrameOnTheHostsAndTheCamerasClocks)
{
    const auto wallClockUs = [] {
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    };
    for (const bool orbbec : {false, true}) {
        SCOPED_TRACE(orbbec ? "Orbbec" : "Kinect v2");
        ScratchDir scratch;
        const std::string out = scratch / "series";
        const long long before = wallClockUs();
        const ChildResult result = orbbec ? runCapture({out, "1000", "10"}, "fps=40;clock-start=1000000", "")
                                          : runCapture({out, "1000", "10"}, "", "attached;fps=40;clock-start=536870012000");
        const long long after = wallClockUs();
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const std::vector<JsonValue> events = eventLines(result);
        EXPECT_EQ(splitLines(readFileBytes(out + "/timing.csv")).front(), kTimingHeader);
        const std::vector<std::vector<std::string>> rows = timingRows(out);
        ASSERT_EQ(rows.size() + 2, events.size());
        for (size_t k = 0; k < rows.size(); ++k) {
            const std::vector<std::string>& fields = rows[k];
            const auto number = [&](size_t row, int column) { return std::stoll(rows[row][column]); };
            EXPECT_EQ(fields[0], events[k + 1]["index"].text);
            EXPECT_EQ(fields[1], events[k + 1]["timestampMs"].text);
            EXPECT_GE(number(k, 17), before);
            EXPECT_LE(number(k, 2), after);
            EXPECT_NEAR(number(k, 2) - number(k, 3), number(k, 17) - number(k, 18), 20'000) << "wall against monotonic";
            for (int column : {17, 18}) EXPECT_EQ(fields[column], rows[0][column]);
            for (const auto& [frameNumber, device] : {std::pair{5, 6}, {11, 12}}) {
                EXPECT_EQ(number(k, device) - number(k, frameNumber) * 25'000, number(0, device) - number(0, frameNumber) * 25'000)
                    << "row " << k;
            }
            // Host-side and global timestamp, exposure and gain of colour, then of depth.
            std::string given;
            for (int column : {7, 8, 9, 10, 13, 14, 15, 16}) given += fields[column].empty() ? '-' : 'x';
            EXPECT_EQ(given, orbbec ? "xxxxxxx-" : "--xx----") << "row " << k;
        }
        EXPECT_EQ(runChild({KESTRUM_SERIES_PROGRAM, {"check", out}, {}, ""}).exitCode, 0);
    }
}
