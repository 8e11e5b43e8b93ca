// An Orbbec frameset made with the SDK's public API, aligned by the capture's OrbbecAlignment and kept
// as its four frame files. The same source runs against the simulated SDK and against the real Orbbec
// SDK, so that where the stand-in's Align differs from the real one, one of the two builds fails.
#include "ChildProcess.h"
#include "OrbbecAlignment.h"
#include "OrbbecFrameImages.h"
#include "OrbbecFrameKeeper.h"
#include "OrbbecSdkLog.h"
#include "OutputDirectories.h"
#include "StreamCapture.h"

#include <libobsensor/ObSensor.hpp>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Like a Gemini 335: the colour camera's lens distortion plays no part, as Align maps into its pinhole image.
constexpr int kColorWidth = 1280;
constexpr int kColorHeight = 720;
const OBCameraIntrinsic kColor{906.3f, 905.8f, 641.2f, 362.7f, kColorWidth, kColorHeight};
const OBCameraDistortion kColorLens{0.0846f, -0.1132f, 0.0451f, 0, 0, 0, 0.00031f, -0.00024f, OB_DISTORTION_BROWN_CONRADY_K6};
const OBCameraDistortion kDepthLens{-0.021f, 0.006f, 0, 0, 0, 0, 0.0004f, -0.0003f, OB_DISTORTION_BROWN_CONRADY};
// p_colour = R p_depth + t: the colour camera 25 mm left of the depth camera, turned by half a degree.
const double kTurn = -0.5 * M_PI / 180.0;
const OBExtrinsic kDepthToColor{{static_cast<float>(std::cos(kTurn)), 0, static_cast<float>(std::sin(kTurn)), 0, 1, 0,
                                 static_cast<float>(-std::sin(kTurn)), 0, static_cast<float>(std::cos(kTurn))},
                                {25.0f, 0.4f, -4.0f}};
// The depth image: a wall 1500 mm away, a hole in it, and a box 900 mm away (fractions of the image).
constexpr double kWallMm = 1500.0;
constexpr double kBoxMm = 900.0;
const cv::Rect2d kHole(0.44, 0.46, 0.05, 0.07);
const cv::Rect2d kBox(0.60, 0.62, 0.08, 0.13);

struct DepthCamera {
    int width;
    int height;
    float valueScale;

    // A narrower view than the colour camera's, the same lens at each size.
    OBCameraIntrinsic intrinsic() const
    {
        const float x = width / 1280.0f;
        const float y = height / 720.0f;
        return {960.0f * x, 960.0f * y, 639.9f * x - 0.5f, 361.4f * y - 0.5f, static_cast<int16_t>(width),
                static_cast<int16_t>(height)};
    }
    cv::Rect pixels(const cv::Rect2d& part) const
    {
        return {static_cast<int>(part.x * width), static_cast<int>(part.y * height), static_cast<int>(part.width * width),
                static_cast<int>(part.height * height)};
    }
};

// Where the colour image shows the point z mm along the depth camera's axis behind depth pixel
// coordinates (u, v): the depth lens undone, the extrinsic applied, the pinhole projection.
cv::Point3d colourOf(const DepthCamera& camera, double u, double v, double z)
{
    const OBCameraIntrinsic d = camera.intrinsic();
    const OBCameraDistortion& k = kDepthLens;
    const double xd = (u - d.cx) / d.fx;
    const double yd = (v - d.cy) / d.fy;
    double x = xd;
    double y = yd;
    for (int step = 0; step < 20; ++step) {
        const double r2 = x * x + y * y;
        const double radial = 1 + r2 * (k.k1 + r2 * k.k2);
        const double dx = 2 * k.p1 * x * y + k.p2 * (r2 + 2 * x * x);
        const double dy = k.p1 * (r2 + 2 * y * y) + 2 * k.p2 * x * y;
        x = (xd - dx) / radial;
        y = (yd - dy) / radial;
    }
    const float* r = kDepthToColor.rot;
    const float* t = kDepthToColor.trans;
    const double cx = r[0] * x * z + r[1] * y * z + r[2] * z + t[0];
    const double cy = r[3] * x * z + r[4] * y * z + r[5] * z + t[1];
    const double cz = r[6] * x * z + r[7] * y * z + r[8] * z + t[2];
    return {kColor.fx * cx / cz + kColor.cx, kColor.fy * cy / cz + kColor.cy, cz};
}

// The colour camera's depth of a surface planeMm along the depth camera's axis, seen at colour pixel (u, v).
double depthSeenAt(double u, double v, double planeMm)
{
    const float* r = kDepthToColor.rot;
    const float* t = kDepthToColor.trans;
    const double ray[3] = {(u - kColor.cx) / kColor.fx, (v - kColor.cy) / kColor.fy, 1.0};
    return (planeMm + r[2] * t[0] + r[5] * t[1] + r[8] * t[2]) / (r[2] * ray[0] + r[5] * ray[1] + r[8] * ray[2]);
}

// What a pixel shows: '0' no depth, 'W' the wall, 'B' the box, '?' anything else.
char seen(const cv::Mat& depthMm, int column, int row)
{
    const double value = depthMm.at<uint16_t>(row, column);
    if (value == 0) return '0';
    if (std::abs(value - depthSeenAt(column, row, kWallMm)) <= 1.5) return 'W';
    if (std::abs(value - depthSeenAt(column, row, kBoxMm)) <= 1.5) return 'B';
    return '?';
}

struct Run {
    char what;
    double first;
};

// What a line of the image shows, run by run, from `from` in steps of `step`.
std::vector<Run> runs(const cv::Mat& depthMm, cv::Point from, cv::Point step)
{
    std::vector<Run> found;
    for (cv::Point p = from; p.x < depthMm.cols && p.y < depthMm.rows; p += step) {
        const char what = seen(depthMm, p.x, p.y);
        if (found.empty() || found.back().what != what) found.push_back({what, static_cast<double>(step.x ? p.x : p.y)});
    }
    return found;
}

// The same runs, each starting at the first pixel past the edge where the colour image is expected
// to see one surface end and the next begin, give or take a pixel and a half either way.
void expectRuns(const std::vector<Run>& found, const std::vector<Run>& edges)
{
    bool same = found.size() == edges.size();
    for (size_t i = 0; same && i < found.size(); ++i) {
        same = found[i].what == edges[i].what && std::abs(found[i].first - edges[i].first - 0.5) <= 2.0;
    }
    const auto text = [](const std::vector<Run>& runs) {
        std::ostringstream out;
        for (const Run& run : runs) out << run.what << "@" << run.first << " ";
        return out.str();
    };
    EXPECT_TRUE(same) << "found:    " << text(found) << "\nexpected: " << text(edges) << "(edges)";
}

std::shared_ptr<ob::VideoStreamProfile> profile(OBStreamType type, OBFormat format, int width, int height)
{
    ob_error* error = nullptr;
    ob_stream_profile* made = ob_create_video_stream_profile(type, format, width, height, 30, &error);
    ob::Error::handle(&error);
    return ob::StreamProfileFactory::create(made)->as<ob::VideoStreamProfile>();
}

// A frameset as a camera delivers it: this colour image, and the wall, hole and box as the depth camera sees them.
std::shared_ptr<ob::FrameSet> framesetOf(const cv::Mat& colour, const DepthCamera& camera)
{
    const auto colorProfile = profile(OB_STREAM_COLOR, OB_FORMAT_BGR, kColorWidth, kColorHeight);
    colorProfile->setIntrinsic(kColor);
    colorProfile->setDistortion(kColorLens);
    const auto depthProfile = profile(OB_STREAM_DEPTH, OB_FORMAT_Y16, camera.width, camera.height);
    depthProfile->setIntrinsic(camera.intrinsic());
    depthProfile->setDistortion(kDepthLens);
    depthProfile->bindExtrinsicTo(colorProfile, kDepthToColor);

    const auto colorFrame = ob::FrameFactory::createVideoFrame(OB_FRAME_COLOR, OB_FORMAT_BGR, kColorWidth, kColorHeight);
    std::memcpy(colorFrame->getData(), colour.data, colour.total() * colour.elemSize());
    colorFrame->setStreamProfile(colorProfile);
    const auto depthFrame = ob::FrameFactory::createVideoFrame(OB_FRAME_DEPTH, OB_FORMAT_Y16, camera.width, camera.height)
                                ->as<ob::DepthFrame>();
    depthFrame->setValueScale(camera.valueScale);
    depthFrame->setPixelAvailableBitSize(16);
    depthFrame->setStreamProfile(depthProfile);
    cv::Mat raw(camera.height, camera.width, CV_16UC1, depthFrame->getData());
    raw.setTo(std::round(kWallMm / camera.valueScale));
    raw(camera.pixels(kHole)).setTo(0);
    raw(camera.pixels(kBox)).setTo(std::round(kBoxMm / camera.valueScale));
    ob::FrameHelper::setFrameDeviceTimestampUs(colorFrame, 3'600'500'000);
    colorFrame->setSystemTimestampUs(1'733'600'000'000'123);
    ob::FrameHelper::setFrameDeviceTimestampUs(depthFrame, 3'600'499'000);
    depthFrame->setSystemTimestampUs(1'733'600'000'000'456);
    const auto frameset = ob::FrameFactory::createFrameSet();
    frameset->pushFrame(colorFrame);
    frameset->pushFrame(depthFrame);
    return frameset;
}

// The SDK's log as the programs set it up, in a working directory of the test's own, where it must
// leave no Log/ folder.
class OrbbecFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setUpOrbbecSdkLog();
        fs::current_path(workingDir_.path());
    }

    static inline ScratchDir workingDir_;
};

class AlignedOrbbecFrame : public OrbbecFrames, public ::testing::WithParamInterface<DepthCamera> {};

TEST_P(AlignedOrbbecFrame, FourFilesHoldTheColourImageAndTheDepthReprojectedIntoIt)
{
    const DepthCamera camera = GetParam();
    cv::Mat colour(kColorHeight, kColorWidth, CV_8UC3);
    for (int row = 0; row < kColorHeight; ++row) {
        for (int column = 0; column < kColorWidth; ++column) {
            colour.at<cv::Vec3b>(row, column) = cv::Vec3b(column / 5, row / 3, (column + row) / 8);
        }
    }
    const auto frameset = framesetOf(colour, camera);

    const fs::path series = workingDir_.path() + "/series-" + std::to_string(camera.width);
    createOutputDirectories(series);
    OrbbecFrameKeeper keeper(series);
    const OrbbecRgbdFrame aligned = OrbbecAlignment().apply(frameset);
    keeper.keep(aligned, 0, 0);

    // Each image keeps the time of the frame it came from, and so does the SDK's aligned depth.
    EXPECT_EQ(aligned.colorStamp.timestampUs, 3'600'500'000u);
    EXPECT_EQ(aligned.colorStamp.systemTimestampUs, 1'733'600'000'000'123u);
    EXPECT_EQ(aligned.depthStamp.timestampUs, 3'600'499'000u);
    EXPECT_EQ(aligned.depthStamp.systemTimestampUs, 1'733'600'000'000'456u);
    const auto sdkDepth = ob::Align(OB_STREAM_COLOR).process(frameset)->as<ob::FrameSet>()->getFrame(OB_FRAME_DEPTH);
    EXPECT_EQ(sdkDepth->getTimeStampUs(), 3'600'499'000u);
    EXPECT_EQ(sdkDepth->getSystemTimeStampUs(), 1'733'600'000'000'456u);

    EXPECT_FALSE(fs::exists("Log"));
    const cv::Mat depthMm = cv::imread((series / "depth/depth-0000.png").string(), cv::IMREAD_UNCHANGED);
    const std::string rawFile = readFileBytes((series / "depth-raw/depth-0000.bin").string());
    ASSERT_EQ(depthMm.size(), cv::Size(kColorWidth, kColorHeight));
    ASSERT_EQ(depthMm.type(), CV_16UC1);
    ASSERT_EQ(rawFile.size(), 2u * kColorWidth * kColorHeight);
    EXPECT_EQ(std::memcmp(rawFile.data(), depthMm.data, rawFile.size()), 0);
    for (const char* file : {"color/color-0000.jpg", "color-full/color-full-0000.jpg"}) {
        const cv::Mat decoded = cv::imread((series / file).string(), cv::IMREAD_UNCHANGED);
        ASSERT_EQ(decoded.size(), colour.size()) << file;
        EXPECT_GT(cv::PSNR(decoded, colour), 35.0) << file;
    }

    // Every pixel with depth shows the wall or the box at the colour camera's distance (tilted by the turn).
    int others = 0;
    for (int row = 0; row < kColorHeight; ++row) {
        for (int column = 0; column < kColorWidth; ++column) others += seen(depthMm, column, row) == '?';
    }
    EXPECT_EQ(others, 0);

    // Across the box: beyond the depth camera's view, the wall, the wall the depth camera cannot see
    // beside the box, the box (nearer than the wall that lands on it too), the wall, beyond the view.
    const cv::Rect box = camera.pixels(kBox);
    const double boxRow = box.y + box.height / 2.0;
    const auto at = [&](double u, double v, double z) { return colourOf(camera, u - 0.5, v, z); };
    const int colourBoxRow = static_cast<int>(std::round(at(box.x + 0.5, boxRow, kBoxMm).y));
    expectRuns(runs(depthMm, {0, colourBoxRow}, {1, 0}),
               {{'0', -0.5}, {'W', at(0, boxRow, kWallMm).x}, {'0', at(box.x, boxRow, kWallMm).x},
                {'B', at(box.x, boxRow, kBoxMm).x}, {'W', at(box.br().x, boxRow, kBoxMm).x},
                {'0', at(camera.width, boxRow, kWallMm).x}});
    // Across the hole, moved by the wall's disparity, along and down the image.
    const cv::Rect hole = camera.pixels(kHole);
    const cv::Point2d holeCentre(hole.x + hole.width / 2.0, hole.y + hole.height / 2.0);
    const cv::Point3d seenHole = colourOf(camera, holeCentre.x, holeCentre.y, kWallMm);
    expectRuns(runs(depthMm, {0, static_cast<int>(std::round(seenHole.y))}, {1, 0}),
               {{'0', -0.5}, {'W', at(0, holeCentre.y, kWallMm).x}, {'0', at(hole.x, holeCentre.y, kWallMm).x},
                {'W', at(hole.br().x, holeCentre.y, kWallMm).x}, {'0', at(camera.width, holeCentre.y, kWallMm).x}});
    const auto down = [&](double v) { return colourOf(camera, holeCentre.x, v - 0.5, kWallMm).y; };
    expectRuns(runs(depthMm, {static_cast<int>(std::round(seenHole.x)), 0}, {0, 1}),
               {{'0', -0.5}, {'W', down(0)}, {'0', down(hole.y)}, {'W', down(hole.br().y)}, {'0', down(camera.height)}});
}

// Frames that do not hold what the programs asked for give no image, whatever the SDK puts in them, and a line
// that says why: another format, padded rows, a depth value scale that is not a finite positive number, also
// one that comes through Align.
TEST_F(OrbbecFrames, FramesNotAsAskedForGiveNoImageAndALineThatSaysWhy)
{
    const auto frame = [](OBFrameType type, OBFormat format, uint32_t stride) {
        return ob::FrameFactory::createVideoFrame(type, format, kColorWidth, kColorHeight, stride);
    };
    const auto frameset = framesetOf(cv::Mat::zeros(kColorHeight, kColorWidth, CV_8UC3), {640, 480, 1.0f});
    frameset->getFrame(OB_FRAME_DEPTH)->as<ob::DepthFrame>()->setValueScale(0.0f);

    OrbbecRgbdFrame aligned;
    std::vector<cv::Mat> images;
    const std::string err = writtenTo(std::cerr, [&] {
        aligned = OrbbecAlignment().apply(frameset);
        images = {colorImageOf(*frame(OB_FRAME_COLOR, OB_FORMAT_RGB, 0)->as<ob::ColorFrame>()),
                  colorImageOf(*frame(OB_FRAME_COLOR, OB_FORMAT_BGR, kColorWidth * 3 + 64)->as<ob::ColorFrame>()),
                  depthImageOf(*frame(OB_FRAME_DEPTH, OB_FORMAT_Y8, 0)->as<ob::DepthFrame>(), 1.0f),
                  depthImageOf(*frame(OB_FRAME_DEPTH, OB_FORMAT_Y16, 0)->as<ob::DepthFrame>(), std::nanf(""))};
    });
    EXPECT_EQ(aligned.color.size(), cv::Size(kColorWidth, kColorHeight));
    EXPECT_TRUE(aligned.depth.empty());
    for (const cv::Mat& image : images) EXPECT_TRUE(image.empty());
    std::vector<std::string> dropped;   // the SDK may log lines of its own
    for (const std::string& line : splitLines(err)) {
        if (line.rfind("Orbbec-", 0) == 0) dropped.push_back(line);
    }
    EXPECT_EQ(dropped, (std::vector<std::string>{
                           "Orbbec-Tiefenbild verworfen: Wertskala 0 ist keine endliche positive Zahl.",
                           "Orbbec-Farbbild verworfen: Format 22 statt 23 (BGR).",
                           "Orbbec-Farbbild verworfen: 2810880 Datenbytes statt 720 Zeilen zu 3840 Bytes (1280x720 BGR).",
                           "Orbbec-Tiefenbild verworfen: Format 9 statt 8 (Y16).",
                           "Orbbec-Tiefenbild verworfen: Wertskala nan ist keine endliche positive Zahl."}));
}

INSTANTIATE_TEST_SUITE_P(DepthCameras, AlignedOrbbecFrame,
                         ::testing::Values(DepthCamera{1280, 720, 1.0f}, DepthCamera{848, 480, 0.1f}),
                         [](const auto& info) { return std::to_string(info.param.width) + "x" + std::to_string(info.param.height); });

} // namespace
