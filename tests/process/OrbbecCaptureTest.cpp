// kestrum-capture against the simulated Orbbec camera: the Orbbec forms of the
// event lines, the four files per frame, capture.json byte for byte, how grab
// failures count, and when the Kinect v2 is (not) used.
#include "CaptureOutput.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

ChildResult runOrbbec(const std::string& outputDir, const std::string& orbbecSetting,
                      const std::string& kinectSetting = "")
{
    return runCapture({outputDir, "1000", "10"}, orbbecSetting, kinectSetting);
}

std::string fixed6(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// The whole capture.json an Orbbec run must write, given the counters its
// "captureCompleted" line reports and the camera's values.
std::string expectedCaptureJson(const JsonValue& completed, const std::string& device, const std::string& serial,
                                const std::string& depthScale, bool frameSync)
{
    const long long actual = integer(completed["actualDurationMs"]);
    const long long received = integer(completed["receivedFrames"]);
    const long long saved = integer(completed["savedFrames"]);
    const auto rate = [&](long long count) { return actual == 0 ? fixed6(0.0) : fixed6(count * 1000.0 / actual); };
    return "{\n"
           "  \"backend\": \"orbbec\",\n"
           "  \"device\": \"" + device + "\",\n"
           "  \"serial\": \"" + serial + "\",\n"
           "  \"firmware\": \"1.0.0-sim\",\n"
           "  \"connection\": \"USB3.2\",\n"
           "  \"requestedDurationMs\": 1000,\n"
           "  \"actualDurationMs\": " + std::to_string(actual) + ",\n"
           "  \"requestedSampleFps\": 10,\n"
           "  \"receivedFrames\": " + std::to_string(received) + ",\n"
           "  \"savedFrames\": " + std::to_string(saved) + ",\n"
           "  \"missingFrames\": " + completed["missingFrames"].text + ",\n"
           "  \"incompleteFrames\": " + completed["incompleteFrames"].text + ",\n"
           "  \"skippedFrames\": " + completed["skippedFrames"].text + ",\n"
           "  \"receivedFps\": " + rate(received) + ",\n"
           "  \"savedFps\": " + rate(saved) + ",\n"
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

void expectCountersAddUp(const JsonValue& completed)
{
    EXPECT_EQ(integer(completed["receivedFrames"]), integer(completed["savedFrames"]) +
                                                        integer(completed["incompleteFrames"]) +
                                                        integer(completed["skippedFrames"]));
}

} // namespace

TEST(OrbbecCapture, CompleteSeriesWithTheKinectAttachedToo)
{
    ScratchDir scratch;
    const std::string out = scratch / "series";
    const ChildResult result =
        runOrbbec(out, "name=Gem\"ini 335;serial=S\\1;depth-scale=0.5", "attached;serial=KINECT1");

    EXPECT_EQ(result.exitCode, 0) << result.err;
    // The Kinect v2 is never opened, so not even its library's log has a line.
    EXPECT_EQ(result.err, "");
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_GE(events.size(), 3u) << result.out;
    EXPECT_EQ(splitLines(result.out).front(),
              "{\"event\":\"deviceOpened\",\"backend\":\"orbbec\",\"device\":\"Gem\\\"ini 335\",\"serial\":\"S\\\\1\","
              "\"durationMs\":1000,\"sampleFps\":10}");

    const JsonValue& completed = events.back();
    EXPECT_EQ(completed.keys(),
              (std::vector<std::string>{"event", "backend", "actualDurationMs", "receivedFrames", "savedFrames",
                                        "missingFrames", "incompleteFrames", "skippedFrames", "receivedFps",
                                        "savedFps", "metadataFile"}));
    EXPECT_EQ(completed["backend"].text, "orbbec");
    EXPECT_EQ(completed["metadataFile"].text, out + "/capture.json");
    const long long saved = integer(completed["savedFrames"]);
    ASSERT_EQ(static_cast<long long>(events.size()), saved + 2);
    ASSERT_GE(saved, 1);
    expectCountersAddUp(completed);

    for (long long index = 0; index < saved; ++index) {
        const JsonValue& frame = events[static_cast<size_t>(index) + 1];
        char number[24];
        std::snprintf(number, sizeof number, "%04lld", index);
        EXPECT_EQ(integer(frame["index"]), index);
        EXPECT_EQ(frame["colorFile"].text, out + "/color/color-" + number + ".jpg");
        EXPECT_EQ(frame["depthFile"].text, out + "/depth/depth-" + number + ".png");
        EXPECT_EQ(frame["depthRawFile"].text, out + "/depth-raw/depth-" + number + ".bin");
        EXPECT_TRUE(fs::is_regular_file(out + "/color-full/color-full-" + number + ".jpg"));
    }
    EXPECT_EQ(filesIn(out + "/color"), static_cast<size_t>(saved));
    EXPECT_EQ(filesIn(out + "/color-full"), static_cast<size_t>(saved));
    EXPECT_EQ(filesIn(out + "/color-map"), 0u);

    // The first frame: colour in the colour stream's size, and depth in the
    // colour image's geometry, PNG and raw file holding the same values.
    const cv::Mat color = cv::imread(events[1]["colorFile"].text, cv::IMREAD_UNCHANGED);
    EXPECT_EQ(color.type(), CV_8UC3);
    EXPECT_EQ(color.size(), cv::Size(1280, 720));
    EXPECT_EQ(cv::imread(out + "/color-full/color-full-0000.jpg").size(), cv::Size(1280, 720));
    const cv::Mat depth = cv::imread(events[1]["depthFile"].text, cv::IMREAD_UNCHANGED);
    ASSERT_EQ(depth.type(), CV_16UC1);
    ASSERT_EQ(depth.size(), cv::Size(1280, 720));
    const std::string raw = readFileBytes(events[1]["depthRawFile"].text);
    ASSERT_EQ(raw.size(), 1280u * 720u * 2u);
    int differing = 0;
    for (int row = 0; row < depth.rows; ++row) {
        for (int column = 0; column < depth.cols; ++column) {
            const size_t at = (static_cast<size_t>(row) * depth.cols + column) * 2;
            const auto littleEndian = static_cast<uint16_t>(static_cast<uint8_t>(raw[at]) |
                                                            static_cast<uint8_t>(raw[at + 1]) << 8);
            differing += littleEndian != depth.at<uint16_t>(row, column);
        }
    }
    EXPECT_EQ(differing, 0) << "pixels whose raw value differs from the PNG";
    EXPECT_GT(cv::countNonZero(depth), 0);
    EXPECT_EQ(readFileBytes(out + "/capture.json"),
              expectedCaptureJson(completed, "Gem\\\"ini 335", "S\\\\1", "0.500000", true));
}

TEST(OrbbecCapture, NothingSavedStillWritesTheSummaryAndExits1)
{
    // Fifteen framesets feed the warm-up (slowly, so that a slow start loses none
    // from the camera's queue); every later wait times out. The refused frame
    // synchronisation is an SDK error whose log line must not reach stdout.
    ScratchDir scratch;
    const std::string out = scratch / "series";
    const ChildResult result = runOrbbec(out, "frames=15;fps=10;depth-scale=0.25;fail=frame-sync");

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_EQ(events.size(), 2u) << result.out;
    const JsonValue& completed = events.back();
    EXPECT_EQ(completed["event"].text, "captureCompleted");
    EXPECT_EQ(integer(completed["savedFrames"]), 0);
    EXPECT_EQ(integer(completed["receivedFrames"]), 0);
    EXPECT_GE(integer(completed["missingFrames"]), 1);
    EXPECT_EQ(completed["savedFps"].text, "0.000");
    EXPECT_NE(result.err, "");
    EXPECT_EQ(result.err.find("{\"event\":\"error\""), std::string::npos) << result.err;
    // The depth scale of a frame that was never saved is not reported.
    EXPECT_EQ(readFileBytes(out + "/capture.json"),
              expectedCaptureJson(completed, "Orbbec Gemini 335 (simulated)", "SIMORB0000001", "1.000000", false));
}

TEST(OrbbecCapture, GrabFailuresThatSpeakOfATimeoutAreMissingFramesAndOthersEndTheRun)
{
    // Wait 16 is the first request after the fifteen warm-up frames, however
    // slowly the run goes; with every depth frame empty, the request after it
    // must still come and count as incomplete.
    ScratchDir scratch;
    const ChildResult forgiven =
        runOrbbec(scratch / "forgiven", "grab-error-at=16;error=USB Timeout while waiting;empty-depth-every=1");
    EXPECT_EQ(forgiven.exitCode, 1) << forgiven.err;
    const std::vector<JsonValue> events = eventLines(forgiven);
    ASSERT_FALSE(events.empty());
    const JsonValue& completed = events.back();
    ASSERT_EQ(completed["event"].text, "captureCompleted");
    EXPECT_GE(integer(completed["missingFrames"]), 1);
    EXPECT_GE(integer(completed["incompleteFrames"]), 1);
    EXPECT_EQ(integer(completed["savedFrames"]), 0);
    expectCountersAddUp(completed);

    // The test is case-sensitive: "timeout" alone is any other failure.
    const std::string out = scratch / "ended";
    const ChildResult ended = runOrbbec(out, "grab-error-at=16;error=usb timeout");
    EXPECT_EQ(ended.exitCode, 1);
    EXPECT_EQ(lastLine(ended.err), "{\"event\":\"error\",\"message\":\"usb timeout\"}");
    const std::vector<JsonValue> endedEvents = eventLines(ended);
    ASSERT_FALSE(endedEvents.empty());
    EXPECT_EQ(endedEvents.front()["event"].text, "deviceOpened");
    EXPECT_NE(endedEvents.back()["event"].text, "captureCompleted");
    EXPECT_FALSE(fs::exists(out + "/capture.json"));
}

TEST(OrbbecCapture, AnAttachedCameraThatFailsNeverLeadsToTheKinect)
{
    ScratchDir scratch;
    for (const char* failure : {"fail=open", "fail=start", "fail=color-profile"}) {
        const ChildResult result = runOrbbec(scratch / "series", failure, "attached");
        EXPECT_EQ(result.exitCode, 1) << failure;
        EXPECT_EQ(result.out, "") << failure;
        const std::string error = lastLine(result.err);
        EXPECT_EQ(error.rfind("{\"event\":\"error\",\"message\":\"", 0), 0u) << failure << ": " << result.err;
        EXPECT_EQ(result.err.find("Kinect"), std::string::npos) << failure << ": " << result.err;
        EXPECT_EQ(result.err.find("Freenect2"), std::string::npos) << failure << ": " << result.err;
    }
    const ChildResult noProfile = runOrbbec(scratch / "series", "fail=depth-profile");
    EXPECT_EQ(noProfile.err, "{\"event\":\"error\",\"message\":\"Depth 1280x720 Y16 @30 nicht verfügbar.\"}\n");
}

TEST(OrbbecCapture, WarmupTimeOutEndsTheRunWithTheCamerasMessage)
{
    ScratchDir scratch;
    const ChildResult result = runOrbbec(scratch / "series", "frames=5");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "{\"event\":\"error\",\"message\":\"Timeout beim Warten auf Orbbec-RGBD-Frame.\"}\n");
    const std::vector<JsonValue> events = eventLines(result);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.front()["event"].text, "deviceOpened");
}

TEST(OrbbecCapture, NoOrbbecCameraFallsBackToTheKinect)
{
    ScratchDir scratch;
    const ChildResult result = runOrbbec(scratch / "series", "", "attached;serial=K1");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(splitLines(result.out).front(),
              "{\"event\":\"deviceOpened\",\"serial\":\"K1\",\"durationMs\":1000,\"sampleFps\":10}");
}
