// kestrum-series on a series recorded from each simulated camera: check passes on it and names
// each fault put into a copy (also files that are no regular files, too large, or whose header
// promises a huge image, none of which it may open, read or decode), the point cloud puts the
// scene's surfaces where the scene has them, the sheet has its width and shows the frames; its
// standard streams; usage errors and capture.json files it cannot read.
#include "CaptureOutput.h"
#include "TinyTmpfs.h"

#include "kestrum_sim/Scene.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// runChild kills a run that has not ended within its limit, so one that blocks fails instead of holding up the suite.
ChildResult runSeries(const std::vector<std::string>& args, std::map<std::string, std::string> env = {},
                      ChildStdout stdoutSetup = ChildStdout::Read)
{
    return runChild({KESTRUM_SERIES_PROGRAM, args, std::move(env), "", stdoutSetup});
}

struct Camera {
    const char* orbbecSetting;
    const char* kinectSetting;
};

void PrintTo(const Camera& camera, std::ostream* out) { *out << (*camera.orbbecSetting ? "Orbbec" : "Kinect v2"); }

struct PlyPoint {
    float x, y, z;
    uint8_t red, green, blue;
};

std::vector<PlyPoint> readPly(const std::string& path)
{
    const std::string bytes = readFileBytes(path);
    const size_t body = bytes.find("end_header\n") + std::strlen("end_header\n");
    const size_t count = std::stoul(bytes.substr(bytes.find("element vertex ") + 15));
    EXPECT_EQ(bytes.substr(0, body), "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(count) +
                                         "\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\n"
                                         "property uchar green\nproperty uchar blue\nend_header\n");
    EXPECT_EQ(bytes.size() - body, count * 15);
    // 15-byte records, little-endian as the hosts the tests run on.
    std::vector<PlyPoint> points(std::min(count, (bytes.size() - body) / 15));
    for (size_t i = 0; i < points.size(); ++i) {
        std::memcpy(&points[i], bytes.data() + body + i * 15, 12);
        std::memcpy(&points[i].red, bytes.data() + body + i * 15 + 12, 3);
    }
    return points;
}

// The points of the surface at that distance, within 1 %.
std::vector<PlyPoint> surfaceAt(const std::vector<PlyPoint>& points, double distanceMm)
{
    std::vector<PlyPoint> surface;
    std::copy_if(points.begin(), points.end(), std::back_inserter(surface), [&](const PlyPoint& point) {
        return std::abs(point.z * 1000.0 - distanceMm) <= distanceMm * 0.01;
    });
    return surface;
}

// The surface reaches from lowMm to highMm along the axis, within 1 % of its distance.
void expectExtent(const std::vector<PlyPoint>& surface, float PlyPoint::*axis, double lowMm, double highMm,
                  double distanceMm)
{
    ASSERT_FALSE(surface.empty());
    const auto [least, most] = std::minmax_element(surface.begin(), surface.end(),
                                                   [&](const PlyPoint& a, const PlyPoint& b) { return a.*axis < b.*axis; });
    EXPECT_NEAR((*least).*axis * 1000.0, lowMm, distanceMm * 0.01);
    EXPECT_NEAR((*most).*axis * 1000.0, highMm, distanceMm * 0.01);
}

class SeriesProgram : public ::testing::TestWithParam<Camera> {};

} // namespace

TEST_P(SeriesProgram, ChecksDrawsAndProjectsARecordedSeries)
{
    ScratchDir scratch;
    const std::string series = scratch / "series";
    {
        // Stopped once three frames are saved, however long the machine takes to write them: lines go out
        // whole and are shorter than 300 bytes, so 1200 bytes hold "deviceOpened" and three "frameSaved".
        ChildProcess capture({captureProgramPath(), {series, "10000", "4"},
                              {{"KESTRUM_SIM_ORBBEC", GetParam().orbbecSetting}, {"KESTRUM_SIM_KINECT", GetParam().kinectSetting}}, ""});
        capture.readStdoutAtLeast(1200, std::chrono::seconds(60));
        capture.sendSignal(SIGTERM);
        ASSERT_EQ(capture.wait().exitCode, 0);
    }
    const JsonValue summary = parseJson(readFileBytes(series + "/capture.json"));
    const long long saved = integer(summary["savedFrames"]);
    ASSERT_GE(saved, 3);
    const std::string size = summary["width"].text + "x" + summary["height"].text;
    const std::string frames = std::to_string(saved) + " frames, ";
    const ChildResult fresh = runSeries({"check", series});
    EXPECT_EQ(fresh.exitCode, 0);
    EXPECT_EQ(fresh.out, "summary: whole, " + frames + "0 faults, 0 leftovers\n");

    // Its timing: the sampling start on the calendar, the host's and each stream's clock. A series of an
    // earlier version, without timing.csv, is whole with a note and has no timing to report.
    const std::vector<std::string> timing = splitLines(runSeries({"timing", series}).out);
    ASSERT_EQ(timing.size() >= 5 ? timing[3].substr(0, 7) : "", "depth: ");
    EXPECT_EQ(timing[0].rfind("sampling start: 20", 0), 0u);
    EXPECT_EQ(timing[1].rfind("host: " + frames + "intervals median ", 0), 0u);
    EXPECT_EQ(timing.back().rfind("color-to-depth offset: median ", 0), 0u);
    const std::vector<JsonValue> timingJson = eventLines(runSeries({"timing", series, "--json"}));
    ASSERT_GE(timingJson.size(), 5u);
    EXPECT_EQ(timingJson[2].keys(), (std::vector<std::string>{"type", "clock", "frames", "medianMs", "minMs", "maxMs",
                                                              "jitterMs", "dropped", "driftPpm", "driftUncertaintyPpm"}));
    const std::string earlier = scratch / "earlier";
    fs::copy(series, earlier, fs::copy_options::recursive);
    fs::remove(earlier + "/timing.csv");
    EXPECT_EQ(runSeries({"check", earlier}).out, "note: " + earlier + "/timing.csv: is missing, as in a series of an earlier "
                                                 "version: its frames' times are not known\nsummary: whole, " + frames +
                                                 "0 faults, 0 leftovers\n");
    const ChildResult noTiming = runSeries({"timing", earlier});
    EXPECT_EQ(noTiming.exitCode, 1);
    EXPECT_EQ(noTiming.err, "kestrum-series: " + earlier + "/timing.csv is missing, as in a series of an earlier version\n");

    // Faults and what interrupted or earlier runs leave, in a copy.
    const std::string faulty = scratch / "faulty";
    fs::copy(series, faulty, fs::copy_options::recursive);
    cv::Mat depth = cv::imread(faulty + "/depth/depth-0000.png", cv::IMREAD_UNCHANGED);
    const int rawValue = depth.at<uint16_t>(50, 100)++;
    ASSERT_TRUE(cv::imwrite(faulty + "/depth/depth-0000.png", depth));
    fs::resize_file(faulty + "/color/color-0001.jpg", fs::file_size(faulty + "/color/color-0001.jpg") / 2);
    fs::remove(faulty + "/depth-raw/depth-0002.bin");
    fs::copy_file(faulty + "/color/color-0000.jpg", faulty + "/color/color-9999.jpg");
    std::ofstream(faulty + "/depth/.depth-0003.png.Ab12Cd") << "part";
    std::ofstream(faulty + "/.capture.json.Ab12Cd") << "{";
    fs::remove(faulty + "/color-full/color-full-0000.jpg");
    fs::create_symlink("color-full-0000.jpg", faulty + "/color-full/color-full-0000.jpg");
    fs::remove(faulty + "/color-full/color-full-0001.jpg");
    fs::create_directory(faulty + "/color-full/color-full-0001.jpg");
    const long long pixels = integer(summary["width"]) * integer(summary["height"]);
    fs::resize_file(faulty + "/color/color-0000.jpg", 100ull << 30);   // sparse, as the next
    fs::resize_file(faulty + "/depth-raw/depth-0001.bin", 100ull << 30);
    std::ofstream(faulty + "/color/color-0002.jpg", std::ios::binary | std::ios::trunc)
        << std::string("\xFF\xD8\xFF\xC0\0\x11\x08\x7D\0\x7D\0\x03\x01\x22\0\x02\x11\x01\x03\x11\x01\xFF\xD9", 23);
    fs::remove(faulty + "/depth/depth-0002.png");
    ASSERT_EQ(mkfifo((faulty + "/depth/depth-0002.png").c_str(), 0600), 0);
    // Either would keep the decoder busy for minutes at the size a file may have: a PNG whose data inflate
    // far beyond its header's image (here three times its rows), a progressive JPEG (here with few scans).
    const int height = static_cast<int>(integer(summary["height"]));
    std::vector<uint8_t> tall;
    cv::imencode(".png", cv::Mat(3 * height, static_cast<int>(integer(summary["width"])), CV_16UC1, cv::Scalar(9)), tall);
    tall[22] = static_cast<uint8_t>(height >> 8);   // the IHDR's height
    tall[23] = static_cast<uint8_t>(height);
    std::ofstream(faulty + "/depth/depth-0001.png", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(tall.data()), static_cast<std::streamsize>(tall.size()));
    const std::string progressive = faulty + "/color-full/color-full-0002.jpg";
    ASSERT_TRUE(cv::imwrite(progressive, cv::imread(progressive), {cv::IMWRITE_JPEG_PROGRESSIVE, 1}));
    const ChildResult check = runSeries({"check", faulty});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "fault: " + faulty + "/color/color-0000.jpg: has 107374182400 bytes, too many for a " + size +
                         " image (at most " + std::to_string(pixels * 3 * 2 + (1 << 20)) + ")\n"
                         "fault: " + faulty + "/color-full/color-full-0000.jpg: cannot be read: Too many levels of "
                         "symbolic links\nfault: " + faulty + "/depth/depth-0000.png: differs from its raw file in 1 "
                         "value, first at column 100, row 50: " + std::to_string(rawValue + 1) + " against " +
                         std::to_string(rawValue) + "\nfault: " + faulty + "/color/color-0001.jpg: is cut short: it "
                         "does not end with the JPEG end marker\nfault: " + faulty + "/color-full/color-full-0001.jpg: "
                         "is not a regular file\nfault: " + faulty + "/depth/depth-0001.png: holds far more image "
                         "data than a " + size + " image\nfault: " + faulty + "/depth-raw/depth-0001.bin: has "
                         "107374182400 bytes, not " + std::to_string(pixels * 2) +
                         "\nfault: " + faulty + "/color/color-0002.jpg: is 32000x32000 in its header, not " + size +
                         "\nfault: " + progressive + ": is a progressive or other non-baseline JPEG, which the capture "
                         "never writes\nfault: " + faulty + "/depth/depth-0002.png: is not a regular file\nfault: " + faulty +
                         "/depth-raw/depth-0002.bin: is missing\n"
                         "leftover: " + faulty + "/.capture.json.Ab12Cd: temporary file of an interrupted write\n"
                         "leftover: " + faulty + "/color/color-9999.jpg: frame 9999 is beyond savedFrames " +
                         std::to_string(saved) + " (a file of an earlier, longer run)\n"
                         "leftover: " + faulty + "/depth/.depth-0003.png.Ab12Cd: temporary file of an interrupted write\n"
                         "summary: not whole, " + frames + "11 faults, 3 leftovers\n");
    EXPECT_EQ(runSeries({"sheet", faulty, scratch / "faulty.png"}).exitCode, 0);
    const ChildResult inflating = runSeries({"points", faulty, "1", scratch / "none.ply"});
    EXPECT_EQ(inflating.exitCode, 1);
    EXPECT_EQ(inflating.err, "kestrum-series: " + faulty + "/depth/depth-0001.png holds far more image data than a " +
                             size + " image\n");

    // capture.json claims one frame more than there are files.
    const std::string longer = scratch / "longer";
    fs::copy(series, longer, fs::copy_options::recursive);
    std::string metadata = readFileBytes(longer + "/capture.json");
    replaceMember(metadata, "savedFrames", std::to_string(saved + 1));
    replaceMember(metadata, "requestedSampleFps", "10");   // a run at 4 per second may have kept all it could
    std::ofstream(longer + "/capture.json", std::ios::trunc) << metadata;
    const ChildResult json = runSeries({"check", longer, "--json"});
    EXPECT_EQ(json.exitCode, 1);
    std::vector<std::string> faultFiles;
    for (const JsonValue& line : eventLines(json)) {
        if (line["type"].text == "fault") faultFiles.push_back(line["file"].text);
    }
    std::string number = std::to_string(saved);
    number.insert(0, 4 - std::min<size_t>(4, number.size()), '0');
    // Also timing.csv, which holds no line for the frame claimed.
    std::vector<std::string> expected = {longer + "/capture.json", longer + "/capture.json", longer + "/timing.csv",
                                         longer + "/color/color-" + number + ".jpg",
                                         longer + "/color-full/color-full-" + number + ".jpg",
                                         longer + "/depth/depth-" + number + ".png",
                                         longer + "/depth-raw/depth-" + number + ".bin"};
    if (*GetParam().kinectSetting != '\0') {
        expected.insert(expected.begin() + 5, longer + "/color-map/color-map-" + number + ".bin");
    }
    EXPECT_EQ(faultFiles, expected);
    EXPECT_EQ(lastLine(json.out), "{\"type\":\"summary\",\"whole\":false,\"frames\":" + std::to_string(saved + 1) +
                                      ",\"faults\":" + std::to_string(expected.size()) + ",\"leftovers\":0}");

    // Far more frames than a run can keep: only those a run could have kept are looked for.
    replaceMember(metadata, "savedFrames", "2000000000");
    std::ofstream(longer + "/capture.json", std::ios::trunc) << metadata;
    const ChildResult tooMany = runSeries({"check", longer});
    EXPECT_EQ(tooMany.exitCode, 1);
    EXPECT_EQ(tooMany.out.rfind("fault: " + longer + "/capture.json: savedFrames 2000000000 is more than a run of " +
                                summary["actualDurationMs"].text + " ms at 10 per second can keep (", 0), 0u);
    EXPECT_EQ(lastLine(tooMany.out).rfind("summary: not whole, 2000000000 frames, ", 0), 0u);
    EXPECT_EQ(runSeries({"sheet", longer, scratch / "none.png"}).exitCode, 2);

    // A side of 0 is no image at all; intrinsics that put points at infinity give no point cloud.
    replaceMember(metadata, "height", "0");
    std::ofstream(longer + "/capture.json", std::ios::trunc) << metadata;
    EXPECT_EQ(runSeries({"sheet", longer, scratch / "none.png"}).err,
              "kestrum-series: " + longer + "/capture.json: \"height\" is not an integer from 1 to 2147483647\n");
    EXPECT_FALSE(fs::exists(scratch / "none.png"));
    replaceMember(metadata, "height", summary["height"].text);
    replaceMember(metadata, "savedFrames", std::to_string(saved));
    replaceMember(metadata, "fx", "1e-300");
    replaceMember(metadata, "cx", "0.5");
    std::ofstream(longer + "/capture.json", std::ios::trunc) << metadata;
    const ChildResult infinite = runSeries({"points", longer, "0", scratch / "none.ply"});
    EXPECT_EQ(infinite.exitCode, 2);
    EXPECT_EQ(infinite.err, "kestrum-series: " + longer + "/capture.json: fx 1e-300 and cx 0.5 put points of a " +
                                size + " image at infinity\n");

    // The scene: the wall, the block and the swinging near plate, at their distances and places
// (the Orbbec camera's depth aligned to its colour image and scaled to millimetres).
    const mode_t inherited = ::umask(077);  // a new file gets 0666 less the umask, also a strict one
    EXPECT_EQ(runSeries({"points", series, "0", scratch / "frame.ply"}).exitCode, 0);
    ::umask(inherited);
    EXPECT_EQ(fs::status(scratch / "frame.ply").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    const std::vector<PlyPoint> points = readPly(scratch / "frame.ply");
    const kestrum_sim::ScenePlate block = kestrum_sim::scenePlates(0)[0];
    const kestrum_sim::ScenePlate plate = kestrum_sim::scenePlates(0)[1];
    const std::vector<PlyPoint> wall = surfaceAt(points, kestrum_sim::kWallDistanceMm);
    const std::vector<PlyPoint> blockPoints = surfaceAt(points, block.distanceMm);
    const std::vector<PlyPoint> platePoints = surfaceAt(points, plate.distanceMm);
    EXPECT_EQ(wall.size() + blockPoints.size() + platePoints.size(), points.size());
    EXPECT_GT(wall.size(), points.size() / 2);
    ASSERT_FALSE(blockPoints.empty());
    expectExtent(blockPoints, &PlyPoint::x, block.leftMm, block.rightMm, block.distanceMm);
    expectExtent(blockPoints, &PlyPoint::y, block.topMm, block.bottomMm, block.distanceMm);
    expectExtent(platePoints, &PlyPoint::y, plate.topMm, plate.bottomMm, plate.distanceMm);
    const PlyPoint inBlock = *std::min_element(blockPoints.begin(), blockPoints.end(), [&](const auto& a, const auto& b) {
        const auto offCentre = [&](const PlyPoint& p) {
            return std::hypot(p.x * 1000.0 - (block.leftMm + block.rightMm) / 2, p.y * 1000.0 - (block.topMm + block.bottomMm) / 2);
        };
        return offCentre(a) < offCentre(b);
    });
    EXPECT_NEAR(inBlock.red, block.red, 20);
    EXPECT_NEAR(inBlock.green, block.green, 20);
    EXPECT_NEAR(inBlock.blue, block.blue, 20);
    // The first frame beyond savedFrames has files, from an earlier and longer run.
    fs::copy_file(series + "/depth/depth-0000.png", series + "/depth/depth-" + number + ".png");
    fs::copy_file(series + "/color/color-0000.jpg", series + "/color/color-" + number + ".jpg");
    const ChildResult beyond = runSeries({"points", series, std::to_string(saved), scratch / "none.ply"});
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_FALSE(fs::exists(scratch / "none.ply"));

    // Whatever the libraries print goes to standard error, and a reader that goes away fails the report.
    const ChildResult drawn = runSeries({"sheet", series, scratch / "sheet.png"}, {{"OPENCV_LOG_LEVEL", "DEBUG"}});
    ASSERT_EQ(drawn.exitCode, 0);
    EXPECT_EQ(drawn.out, "");
    const ChildResult unread = runSeries({"check", series}, {}, ChildStdout::ReaderGone);
    EXPECT_EQ(unread.exitCode, 1);
    EXPECT_EQ(unread.err, "kestrum-series: standard output cannot be written\n");
    // A sheet that does not fit on the disk leaves the earlier one as it was.
    fs::create_directory(scratch / "full");
    const TinyTmpfs disk(scratch / "full", "256k");
    if (disk.mounted()) {
        std::ofstream(scratch / "full/sheet.png") << "an earlier sheet";
        ASSERT_TRUE(disk.fillUp());
        EXPECT_EQ(runSeries({"sheet", series, scratch / "full/sheet.png"}).exitCode, 1);
        EXPECT_EQ(readFileBytes(scratch / "full/sheet.png"), "an earlier sheet");
    }
    const cv::Mat sheet = cv::imread(scratch / "sheet.png", cv::IMREAD_COLOR);
    ASSERT_EQ(sheet.cols, 1920);
    ASSERT_GT(sheet.rows, 300);
    cv::Scalar mean, spread;
    cv::meanStdDev(sheet(cv::Rect(0, 100, sheet.cols, sheet.rows - 100)), mean, spread);
    for (int channel = 0; channel < 3; ++channel) EXPECT_GT(spread[channel], 30.0) << "channel " << channel;
}

// The Kinect v2 lossless, so that each set's colour and depth are made together however slow the machine: a
// reader that falls behind a real device takes a newer colour frame with an older depth frame.
INSTANTIATE_TEST_SUITE_P(Cameras, SeriesProgram,
                         ::testing::Values(Camera{"depth-scale=0.1", ""}, Camera{"", "attached;lossless=yes"}),
                         [](const auto& info) { return std::string(*info.param.orbbecSetting ? "Orbbec" : "KinectV2"); });

TEST(SeriesProgramUsage, UsageErrorsAndCaptureJsonThatCannotBeRead)
{
    ScratchDir scratch;
    const ChildResult none = runSeries({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err.rfind("usage: kestrum-series check DIR [--json]\n", 0), 0u) << none.err;
    const ChildResult empty = runSeries({"check", scratch.path()});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "kestrum-series: " + scratch.path() + "/capture.json is missing\n");
    std::ofstream(scratch / "capture.json") << "{\"serial\": 1}";
    const ChildResult wrong = runSeries({"sheet", scratch.path(), scratch / "sheet.png"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "kestrum-series: " + scratch.path() + "/capture.json: \"serial\" is not a text\n");

    const std::string json = scratch / "capture.json";
    const std::pair<std::function<void()>, std::string> unreadable[] = {
        {[&] { fs::create_directory(json); }, " is not a regular file"},
        {[&] { mkfifo(json.c_str(), 0600); }, " is not a regular file"},
        {[&] { fs::create_symlink("/dev/zero", json); }, " is not a regular file"},
        {[&] { std::ofstream{json}; fs::resize_file(json, 1 << 30); },
         " has 1073741824 bytes, too many for a capture.json (at most 65536)"},
        {[&] { std::ofstream(json) << "{\"savedFrames\": 1e999}"; },
         ": holds a number too large for any type: [json.exception.out_of_range.406] number overflow parsing '1e999'"},
    };
    for (const auto& [makeCaptureJson, problem] : unreadable) {
        fs::remove(json);
        makeCaptureJson();
        const ChildResult refused = runSeries({"check", scratch.path()});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(refused.err, "kestrum-series: " + json + problem + "\n");
    }
}

// While a capture writes into a directory, a second one ends before it touches the camera, and
// kestrum-series does not judge the directory; the kernel lets go with the first, even when killed.
TEST(SeriesDirectory, OneCaptureAtATimeUntilTheFirstEndsHoweverItEnds)
{
    ScratchDir scratch;
    const std::string series = scratch / "series";
    ChildProcess first({captureProgramPath(), {series, "10000", "10"}, {{"KESTRUM_SIM_ORBBEC", "attached"}}, ""});
    ASSERT_NE(first.readStdoutAtLeast(1, std::chrono::seconds(60)), "");
    first.sendSignal(SIGSTOP);   // it holds the directory, however slow the machine, until it is killed
    const ChildResult second = runCapture({series, "1000", "1"}, "attached", "");
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "{\"event\":\"error\",\"message\":\"Im Ausgabeverzeichnis läuft bereits eine andere Aufnahme.\"}\n");
    const ChildResult check = runSeries({"check", series});
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(check.err, "kestrum-series: " + series + " is being written by kestrum-capture; try again when the "
                         "capture has ended\n");
    first.sendSignal(SIGKILL);
    first.wait();
    EXPECT_EQ(runSeries({"check", series}).err, "kestrum-series: " + series + "/capture.json is missing\n");
    EXPECT_EQ(runCapture({series, "1000", "10"}, "attached", "").exitCode, 0);
}
