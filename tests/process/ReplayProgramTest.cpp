// A recorded series played back by each simulated camera: a series changed as no simulated camera records
// it (depth in a region of every frame, the serial, the intrinsics, the Orbbec depth scale) is recorded
// again, and photographed, through the replaying camera with its changes; series it cannot replay are
// refused like bad settings; frames are read as they are delivered.
#include "CaptureOutput.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace fs = std::filesystem;

namespace {

struct Camera {
    bool orbbec;
    const char* recording;  // its setting for the first recording
    // Members of capture.json and their new values; those of "camera" are the intrinsics.
    std::vector<std::pair<std::string, std::string>> changes;
    const char* variable() const { return orbbec ? "KESTRUM_SIM_ORBBEC" : "KESTRUM_SIM_KINECT"; }
};

void PrintTo(const Camera& camera, std::ostream* out) { *out << camera.variable(); }

ChildResult captureWith(const Camera& camera, const std::string& setting, const std::string& dir,
                        const std::string& durationMs, const std::string& sampleFps)
{
    return runCapture({dir, durationMs, sampleFps}, camera.orbbec ? setting : "", camera.orbbec ? "" : setting);
}

std::string numbered(const std::string& dir, const std::string& folder, const std::string& extension, long long index)
{
    std::string digits = std::to_string(index);
    digits.insert(0, 4 - std::min<size_t>(4, digits.size()), '0');
    return dir + "/" + folder + "/" + (folder == "depth-raw" ? "depth" : folder) + "-" + digits + extension;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Gives members of dir/capture.json new values; returns the text it had.
std::string changeCaptureJson(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& changes)
{
    const std::string before = readFileBytes(dir + "/capture.json");
    std::string after = before;
    for (const auto& [member, value] : changes) replaceMember(after, member, value);
    writeFile(dir + "/capture.json", after);
    return before;
}

// Depth far beyond the simulated scene in a block of every frame, different per frame, in the PNG and the raw file.
void markDepth(const std::string& dir, long long frames)
{
    for (long long index = 0; index < frames; ++index) {
        cv::Mat depth = cv::imread(numbered(dir, "depth", ".png", index), cv::IMREAD_UNCHANGED);
        ASSERT_EQ(depth.type(), CV_16UC1);
        depth(cv::Rect(40, 30, 120, 60)).setTo(7000 + static_cast<int>(index));
        ASSERT_TRUE(cv::imwrite(numbered(dir, "depth", ".png", index), depth));
        writeFile(numbered(dir, "depth-raw", ".bin", index), std::string(depth.datastart, depth.dataend));
    }
}

// The mean difference per channel value of two JPEGs of the same size; a JPEG of a decoded JPEG stays within 3.
double meanDifference(const std::string& a, const std::string& b)
{
    const cv::Mat first = cv::imread(a, cv::IMREAD_COLOR);
    const cv::Mat second = cv::imread(b, cv::IMREAD_COLOR);
    if (first.empty() || first.size() != second.size()) return 255.0;
    return cv::norm(first, second, cv::NORM_L1) / static_cast<double>(first.total() * 3);
}

class ReplayProgram : public ::testing::TestWithParam<Camera> {};

} // namespace

TEST_P(ReplayProgram, ARecordingWithChangesNoSimulatedCameraMakesIsRecordedAgainWithThem)
{
    const Camera& camera = GetParam();
    ScratchDir scratch;
    const std::string recorded = scratch / "recorded";
    ASSERT_EQ(captureWith(camera, camera.recording, recorded, "1000", "5").exitCode, 0);
    const long long frames = integer(parseJson(changeCaptureJson(recorded, camera.changes))["savedFrames"]);
    markDepth(recorded, frames);

    const std::string replayed = scratch / "replayed";
    const std::string setting = "replay=" + recorded + ";lossless=yes";
    // Sampled faster than the recorded pace, so that the run keeps every frame played, and long enough that
    // some come in order between two laps of the recording, however late a busy machine delivers them.
    const ChildResult run = captureWith(camera, setting, replayed, "2000", "10");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonValue summary = parseJson(readFileBytes(replayed + "/capture.json"));
    EXPECT_EQ(eventLines(run).front()["serial"].text, summary["serial"].text);
    for (const auto& [member, value] : camera.changes) {
        const bool intrinsic = member == "fx" || member == "fy" || member == "cx" || member == "cy";
        const JsonValue& written = intrinsic ? summary["camera"][member] : summary[member];
        EXPECT_EQ(written.kind == JsonValue::Kind::String ? "\"" + written.text + "\"" : written.text, value) << member;
    }

    // Each new frame is one of the recording's, all its files of the same one, depth and map to the byte.
    const long long saved = integer(summary["savedFrames"]);
    ASSERT_GE(saved, 1);
    std::vector<long long> sources;
    for (long long index = 0; index < saved; ++index) {
        const std::string raw = readFileBytes(numbered(replayed, "depth-raw", ".bin", index));
        long long source = 0;
        while (source < frames && readFileBytes(numbered(recorded, "depth-raw", ".bin", source)) != raw) ++source;
        ASSERT_LT(source, frames) << "frame " << index << " is none of the recording's";
        sources.push_back(source);
        // Lossless, the first frame kept is the one after the capture's 15 warm-up frames.
        if (index == 0) {
            EXPECT_EQ(source, 15 % frames);
        }
        for (const auto& [folder, extension] : {std::pair{"depth", ".png"}, {camera.orbbec ? "depth-raw" : "color-map", ".bin"}}) {
            const std::string file = numbered(replayed, folder, extension, index);
            EXPECT_TRUE(readFileBytes(file) == readFileBytes(numbered(recorded, folder, extension, source)))
                << file << " differs from recorded frame " << source;
        }
        for (const char* folder : {"color", "color-full"}) {
            const std::string file = numbered(replayed, folder, ".jpg", index);
            EXPECT_LT(meanDifference(file, numbered(recorded, folder, ".jpg", source)), 3.0) << file << ", " << source;
        }
    }
    // Whole but for how its device clocks kept time against the host's, which depends on how fast this machine
    // decodes the recording's frames (slowly under emulation or the sanitizers).
    const ChildResult check = runChild({KESTRUM_SERIES_PROGRAM, {"check", replayed}, {}, ""});
    for (const std::string& line : splitLines(check.out)) {
        if (line.rfind("fault: ", 0) == 0) {
            EXPECT_NE(line.find(" device clock "), std::string::npos) << line;
        }
    }
    // Each stream's frame numbers and device timestamps are the recorded ones, which go on rising from one
    // playing of the recording to the next: from one kept frame to the next within a playing, the numbers
    // move as they moved between the recorded frames, and both device clocks as much more as the lossless camera
    // was held up in between by the capture or by decoding (a little on a quiet machine).
    const std::vector<std::vector<std::string>> original = timingRows(recorded);
    const std::vector<std::vector<std::string>> played = timingRows(replayed);
    ASSERT_EQ(played.size(), sources.size());
    int compared = 0;
    for (size_t k = 1; k < played.size(); ++k) {
        if (sources[k] <= sources[k - 1]) continue;
        ++compared;
        const auto moreThanRecorded = [&](int column) {
            const auto moved = [column](const std::vector<std::string>& to, const std::vector<std::string>& from) {
                return std::stoll(to[column]) - std::stoll(from[column]);
            };
            return moved(played[k], played[k - 1]) - moved(original[sources[k]], original[sources[k - 1]]);
        };
        EXPECT_EQ(moreThanRecorded(5), 0) << k;
        EXPECT_EQ(moreThanRecorded(11), 0) << k;
        EXPECT_GE(moreThanRecorded(6), 0) << k;
        EXPECT_EQ(moreThanRecorded(12), moreThanRecorded(6)) << k;
    }
    EXPECT_GT(compared, 0);

    // The photo is frame 20, after the photo's warm-up, of the recording played over and over.
    const std::string shot = scratch / "shot.jpg";
    const ChildResult photo = runChild({photoProgramPath(), {shot}, {{camera.variable(), setting}}, ""});
    ASSERT_EQ(photo.exitCode, 0) << photo.err;
    EXPECT_LT(meanDifference(shot, numbered(recorded, "color-full", ".jpg", 20 % frames)), 3.0);
}

// The Orbbec depth files stay in millimetres; the camera delivers them in units of the new scale.
INSTANTIATE_TEST_SUITE_P(
    Cameras, ReplayProgram,
    ::testing::Values(Camera{false, "attached;lossless=yes",
                             {{"serial", "\"REPLAYED-0042\""}, {"fx", "401.250"}, {"cy", "211.500"}}},
                      Camera{true, "depth-scale=0.1;lossless=yes",
                             {{"serial", "\"REPLAYED-0043\""}, {"device", "\"Orbbec Gemini 336\""},
                              {"depthScale", "0.250000"}, {"fx", "901.500000"}, {"cy", "355.250000"}}}),
    [](const auto& info) { return std::string(info.param.orbbec ? "Orbbec" : "KinectV2"); });

// Refused as a bad setting is: exit status 2, one line naming the setting, the series and the file at fault, a line
// feed in a name written as \n; nothing done.
TEST(ReplayRefusal, SeriesItCannotPlayAreRefusedInOneLineThatNamesTheFile)
{
    ScratchDir scratch;
    const std::string kinect = scratch / "kinect";
    const std::string orbbec = scratch / "orbbec";
    ASSERT_EQ(runCapture({kinect, "1000", "1"}, "", "attached;lossless=yes").exitCode, 0);
    ASSERT_EQ(runCapture({orbbec, "1000", "1"}, "attached;lossless=yes", "").exitCode, 0);
    const auto variable = [](bool isOrbbec) { return isOrbbec ? "KESTRUM_SIM_ORBBEC" : "KESTRUM_SIM_KINECT"; };
    const auto expectRefusal = [&](bool isOrbbec, const std::string& setting, const std::string& message) {
        const std::string out = scratch / "out";
        const ChildResult run = runChild({captureProgramPath(), {out, "1000", "1"}, {{variable(isOrbbec), setting}}, ""});
        EXPECT_EQ(run.exitCode, 2) << setting;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(lastLine(run.err), "kestrum simulated camera: " + std::string(variable(isOrbbec)) + ": " + message);
        EXPECT_FALSE(fs::exists(out + "/capture.json"));
    };

    // capture.json changed, and the problem named after its path.
    const std::tuple<bool, const char*, const char*, const char*> edits[] = {
        {false, "requestedSampleFps", "11", ": requestedSampleFps 11 is outside the capture program's 1 to 10"},
        {false, "width", "640", ": width x height 640x424 is not the Kinect v2's 512x424"},
        {false, "savedFrames", "0", " has no saved frames"},
        {true, "height", "719", ": width x height 1280x719 is not the Orbbec camera's 1280x720"},
        {true, "depthScale", "0", ": depthScale must be a positive number of single precision"},
        {true, "depthScale", "1e-50", ": depthScale must be a positive number of single precision"},
    };
    for (const auto& [isOrbbec, member, value, problem] : edits) {
        const std::string dir = isOrbbec ? orbbec : kinect;
        const std::string recorded = changeCaptureJson(dir, {{member, value}});
        expectRefusal(isOrbbec, "replay=" + dir, "replay=" + dir + ": " + dir + "/capture.json" + problem);
        writeFile(dir + "/capture.json", recorded);
    }
    expectRefusal(true, "replay=" + kinect,
                  "replay=" + kinect + ": " + kinect + "/capture.json describes a series of a Kinect v2, not of an Orbbec camera");
    const std::string none = scratch / "no\nseries";
    const std::string noneInOneLine = scratch / "no\\nseries";
    expectRefusal(false, "replay=" + none, "replay=" + noneInOneLine + ": " + noneInOneLine + "/capture.json is missing");
    expectRefusal(false, "replay=" + kinect + ";serial=X", "setting 'serial' cannot go with 'replay'");
    expectRefusal(true, "replay=" + orbbec + ";depth-scale=0.5", "setting 'depth-scale' cannot go with 'replay'");

    // Damaged files, each checked before the one damaged before it.
    fs::resize_file(numbered(kinect, "depth-raw", ".bin", 0), 10);
    expectRefusal(false, "replay=" + kinect, "replay=" + kinect + ": " + kinect + "/depth-raw/depth-0000.bin has 10 bytes, not 434176");
    fs::copy_file(numbered(kinect, "color-full", ".jpg", 0), numbered(kinect, "color", ".jpg", 0), fs::copy_options::overwrite_existing);
    expectRefusal(false, "replay=" + kinect,
                  "replay=" + kinect + ": " + kinect + "/color/color-0000.jpg is 1920x1080 in its header, not 512x424");
    const std::string fullColor = numbered(orbbec, "color-full", ".jpg", 0);
    fs::resize_file(fullColor, fs::file_size(fullColor) - 1);
    expectRefusal(true, "replay=" + orbbec,
                  "replay=" + orbbec + ": " + fullColor + " is cut short: it does not end with the JPEG end marker");
}

// Each frame is read as it is delivered, and only the files its camera plays: a file that passes the checks but
// does not decode costs its frame alone, and only where it is played; no depth PNG and no Orbbec color/ is read;
// a series of as many frames as a run keeps, each as large as the checks allow, plays in the memory of a few.
TEST(ReplayReading, FramesAreReadAsTheyAreDeliveredAndOnlyWhatIsPlayed)
{
    ScratchDir scratch;
    const std::string kinect = scratch / "kinect";
    ASSERT_EQ(runCapture({kinect, "1000", "5"}, "", "attached;lossless=yes").exitCode, 0);
    // Three frames, copies of frame 0 where the run kept fewer; the full colour image of frame 1 and the registered
    // colour of frame 2 are JPEGs of which a header and an end marker are all that is left.
    for (const auto& [folder, extension] : {std::pair{"color", ".jpg"}, {"color-full", ".jpg"}, {"color-map", ".bin"},
                                            {"depth-raw", ".bin"}}) {
        for (const int index : {1, 2}) {
            fs::copy_file(numbered(kinect, folder, extension, 0), numbered(kinect, folder, extension, index),
                          fs::copy_options::skip_existing);
        }
    }
    changeCaptureJson(kinect, {{"savedFrames", "3"}});
    fs::remove(kinect + "/timing.csv");   // the frames it timed are no longer the series'
    for (const auto& [folder, index] : {std::pair{"color-full", 1}, {"color", 2}}) {
        std::string jpeg = readFileBytes(numbered(kinect, folder, ".jpg", index));
        std::fill(jpeg.begin() + static_cast<long>(jpeg.find("\xFF\xDA")), jpeg.end() - 2, '\0');
        writeFile(numbered(kinect, folder, ".jpg", index), jpeg);
    }
    fs::remove_all(kinect + "/depth");
    const std::string setting = "replay=" + kinect + ";lossless=yes";
    const auto warning = [&](const char* folder, int index) {
        return "kestrum simulated camera: KESTRUM_SIM_KINECT: replay=" + kinect + ": frame " + std::to_string(index) +
               " is not delivered: " + numbered(kinect, folder, ".jpg", index) + " does not decode\n";
    };
    const ChildResult played = runCapture({scratch / "played", "1000", "2"}, "", setting);
    EXPECT_EQ(played.exitCode, 0) << played.err;
    EXPECT_NE(played.err.find(warning("color-full", 1)), std::string::npos) << played.err;
    EXPECT_NE(played.err.find(warning("color", 2)), std::string::npos) << played.err;
    const ChildResult photo = runChild({photoProgramPath(), {scratch / "shot.jpg"}, {{"KESTRUM_SIM_KINECT", setting}}, ""});
    EXPECT_EQ(photo.exitCode, 0) << photo.err;
    EXPECT_NE(photo.err.find(warning("color-full", 1)), std::string::npos) << photo.err;
    EXPECT_EQ(photo.err.find(warning("color", 2)), std::string::npos) << photo.err;

    const std::string orbbec = scratch / "orbbec";
    const ChildResult recording = runCapture({orbbec, "1000", "1"}, "attached;lossless=yes", "");
    ASSERT_EQ(recording.exitCode, 0);
    std::string jpeg = readFileBytes(numbered(orbbec, "color-full", ".jpg", 0));
    jpeg.resize(2 * 1280 * 720 * 3 + (1 << 20) - 2, '\0');
    writeFile(numbered(orbbec, "color-full", ".jpg", 0), jpeg + "\xFF\xD9");
    for (int index = 1; index < 152; ++index) {
        for (const auto& [folder, extension] : {std::pair{"color-full", ".jpg"}, {"depth-raw", ".bin"}}) {
            fs::remove(numbered(orbbec, folder, extension, index));
            fs::create_hard_link(numbered(orbbec, folder, extension, 0), numbered(orbbec, folder, extension, index));
        }
    }
    fs::remove_all(orbbec + "/color");
    fs::remove_all(orbbec + "/depth");
    changeCaptureJson(orbbec, {{"requestedDurationMs", "10000"}, {"actualDurationMs", "15000"},
                               {"requestedSampleFps", "10"}, {"savedFrames", "152"}});
    fs::remove(orbbec + "/timing.csv");
    const ChildResult replayed = runCapture({scratch / "replayed", "1000", "1"}, "replay=" + orbbec + ";lossless=yes", "");
    EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
    // About what the recording took; the full colour files alone are 1 GB.
    EXPECT_LT(replayed.peakMemoryKb, recording.peakMemoryKb + 256 * 1024) << "kB, recording " << recording.peakMemoryKb;
}
