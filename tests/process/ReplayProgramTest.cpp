// A recorded series played back by each simulated camera: a series changed as no simulated camera records
// it (depth in a region of every frame, the serial, the intrinsics, the Orbbec depth scale) is recorded
// again, and photographed, through the replaying camera with its changes; series it cannot replay are
// refused like bad settings.
#include "CaptureOutput.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Camera {
    bool orbbec;
    const char* recording;  // its setting for the first recording
    const char* replaying;  // settings beside replay=
    // Members of capture.json and their new values; those of "camera" are the intrinsics.
    std::vector<std::pair<std::string, std::string>> changes;
    const char* variable() const { return orbbec ? "KESTRUM_SIM_ORBBEC" : "KESTRUM_SIM_KINECT"; }
};

void PrintTo(const Camera& camera, std::ostream* out) { *out << camera.variable(); }

ChildResult captureWith(const Camera& camera, const std::string& setting, const std::string& dir)
{
    return runCapture({dir, "1000", "5"}, camera.orbbec ? setting : "", camera.orbbec ? "" : setting);
}

std::string numbered(const std::string& dir, const std::string& folder, const std::string& extension, long long index)
{
    std::string digits = std::to_string(index);
    digits.insert(0, 4 - std::min<size_t>(4, digits.size()), '0');
    return dir + "/" + folder + "/" + (folder == "depth-raw" ? "depth" : folder) + "-" + digits + extension;
}

// Depth far beyond the simulated scene in a block of every frame, different per frame, in the PNG and the raw file.
void markDepth(const std::string& dir, long long frames)
{
    for (long long index = 0; index < frames; ++index) {
        cv::Mat depth = cv::imread(numbered(dir, "depth", ".png", index), cv::IMREAD_UNCHANGED);
        ASSERT_EQ(depth.type(), CV_16UC1);
        depth(cv::Rect(40, 30, 120, 60)).setTo(7000 + static_cast<int>(index));
        ASSERT_TRUE(cv::imwrite(numbered(dir, "depth", ".png", index), depth));
        std::ofstream(numbered(dir, "depth-raw", ".bin", index), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(depth.data), static_cast<std::streamsize>(depth.total() * 2));
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
    ASSERT_EQ(captureWith(camera, camera.recording, recorded).exitCode, 0);
    std::string metadata = readFileBytes(recorded + "/capture.json");
    const long long frames = integer(parseJson(metadata)["savedFrames"]);
    markDepth(recorded, frames);
    for (const auto& [member, value] : camera.changes) replaceMember(metadata, member, value);
    std::ofstream(recorded + "/capture.json", std::ios::trunc) << metadata;

    const std::string replayed = scratch / "replayed";
    const std::string setting = "replay=" + recorded + camera.replaying;
    const ChildResult run = captureWith(camera, setting, replayed);
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
    for (long long index = 0; index < saved; ++index) {
        const std::string raw = readFileBytes(numbered(replayed, "depth-raw", ".bin", index));
        long long source = 0;
        while (source < frames && readFileBytes(numbered(recorded, "depth-raw", ".bin", source)) != raw) ++source;
        ASSERT_LT(source, frames) << "frame " << index << " is none of the recording's";
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
    const ChildResult check = runChild({KESTRUM_SERIES_PROGRAM, {"check", replayed}, {}, ""});
    EXPECT_EQ(check.exitCode, 0) << check.out;

    // The photo is one of the recorded full colour images.
    const std::string shot = scratch / "shot.jpg";
    const ChildResult photo = runChild({photoProgramPath(), {shot}, {{camera.variable(), setting}}, ""});
    ASSERT_EQ(photo.exitCode, 0) << photo.err;
    double nearest = 255.0;
    for (long long source = 0; source < frames; ++source) {
        nearest = std::min(nearest, meanDifference(shot, numbered(recorded, "color-full", ".jpg", source)));
    }
    EXPECT_LT(nearest, 3.0);
}

// The Orbbec depth files stay in millimetres; the camera delivers them in units of the new scale.
INSTANTIATE_TEST_SUITE_P(
    Cameras, ReplayProgram,
    ::testing::Values(Camera{false, "attached;lossless=yes", ";lossless=yes",
                             {{"serial", "\"REPLAYED-0042\""}, {"fx", "401.250"}, {"cy", "211.500"}}},
                      Camera{true, "depth-scale=0.1;lossless=yes", ";lossless=yes",
                             {{"serial", "\"REPLAYED-0043\""}, {"device", "\"Orbbec Gemini 336\""},
                              {"depthScale", "0.250000"}, {"fx", "901.500000"}, {"cy", "355.250000"}}}),
    [](const auto& info) { return std::string(info.param.orbbec ? "Orbbec" : "KinectV2"); });

// Refused as a bad setting is: exit status 2, the setting, the series and the file at fault named, nothing done.
// A frame that passes the checks but does not decode is left out with a warning.
TEST(ReplayRefusal, SeriesItCannotPlayAreRefusedAndAFrameThatDoesNotDecodeIsLeftOut)
{
    ScratchDir scratch;
    const std::string kinect = scratch / "kinect";
    ASSERT_EQ(runCapture({kinect, "1000", "1"}, "", "attached;lossless=yes").exitCode, 0);
    // Frame 1 is frame 0 again, but for a full colour JPEG whose header and end marker are all that is left.
    for (const auto& [folder, extension] : {std::pair{"color", ".jpg"}, {"color-full", ".jpg"}, {"color-map", ".bin"},
                                            {"depth", ".png"}, {"depth-raw", ".bin"}}) {
        fs::copy_file(numbered(kinect, folder, extension, 0), numbered(kinect, folder, extension, 1),
                      fs::copy_options::overwrite_existing);
    }
    std::string jpeg = readFileBytes(numbered(kinect, "color-full", ".jpg", 1));
    const size_t scan = jpeg.find("\xFF\xDA");
    std::fill(jpeg.begin() + static_cast<long>(scan), jpeg.end() - 2, '\0');
    std::ofstream(numbered(kinect, "color-full", ".jpg", 1), std::ios::binary | std::ios::trunc) << jpeg;
    std::string metadata = readFileBytes(kinect + "/capture.json");
    replaceMember(metadata, "savedFrames", "2");
    std::ofstream(kinect + "/capture.json", std::ios::trunc) << metadata;
    const ChildResult played = runCapture({scratch / "played", "1000", "2"}, "", "replay=" + kinect + ";lossless=yes");
    EXPECT_EQ(played.exitCode, 0);
    EXPECT_NE(played.err.find("kestrum simulated camera: KESTRUM_SIM_KINECT: replay=" + kinect +
                              ": frame 1 is not delivered: " + numbered(kinect, "color-full", ".jpg", 1) +
                              " does not decode\n"),
              std::string::npos);

    fs::resize_file(numbered(kinect, "depth-raw", ".bin", 0), 10);
    const std::string none = scratch / "none";
    const std::pair<std::string, std::string> cases[] = {   // the variable and its setting, the message after the variable
        {"KESTRUM_SIM_ORBBEC=replay=" + kinect,
         "replay=" + kinect + ": " + kinect + "/capture.json describes a series of a Kinect v2, not of an Orbbec camera"},
        {"KESTRUM_SIM_KINECT=replay=" + kinect,
         "replay=" + kinect + ": " + kinect + "/depth-raw/depth-0000.bin has 10 bytes, not 434176"},
        {"KESTRUM_SIM_KINECT=replay=" + none, "replay=" + none + ": " + none + "/capture.json is missing"},
        {"KESTRUM_SIM_KINECT=replay=" + kinect + ";serial=X", "setting 'serial' cannot go with 'replay'"},
        {"KESTRUM_SIM_ORBBEC=replay=" + kinect + ";depth-scale=0.5", "setting 'depth-scale' cannot go with 'replay'"},
    };
    for (const auto& [variableAndSetting, message] : cases) {
        const std::string out = scratch / "out";
        const std::string variable = variableAndSetting.substr(0, variableAndSetting.find('='));
        const std::string setting = variableAndSetting.substr(variable.size() + 1);
        const ChildResult run = runChild({captureProgramPath(), {out, "1000", "1"}, {{variable, setting}}, ""});
        EXPECT_EQ(run.exitCode, 2) << setting;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(lastLine(run.err), "kestrum simulated camera: " + variable + ": " + message);
        EXPECT_FALSE(fs::exists(out + "/capture.json"));
    }
}
