// The Kinect v2 frame files of synthetic frames registered by the libfreenect2 the programs link:
// the real one (label real-sdk), else the stand-in.
#include "ChildProcess.h"
#include "KinectFrameKeeper.h"
#include "KinectGeometry.h"
#include "OutputDirectories.h"

#include <libfreenect2/libfreenect2.hpp>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;

// Close to what a Kinect v2 reports from its factory calibration.
const libfreenect2::Freenect2Device::IrCameraParams kIrCamera{365.48f, 365.48f, 256.96f, 207.41f, 0.0915f,
                                                               -0.2701f, 0.0936f, 0.0f, 0.0f};
const libfreenect2::Freenect2Device::ColorCameraParams kColorCamera{
    1081.37f, 1081.37f, 959.5f, 539.5f, 863.0f, 52.0f,
    0.000449f, 0.0000192f, 0.0000402f, 0.000115f, 0.00101f, 0.0000021f, -0.000287f, 0.6398f, -0.00197f, 0.1585f,
    0.0000201f, 0.000839f, 0.000454f, 0.0000627f, -0.000207f, -0.000463f, 0.00106f, 0.0016f, 0.6393f, 0.0218f};

// The colour frame's pixel (BGRA) at a column and row: blue and green say where it is, red is the same everywhere.
cv::Vec4b colourAt(int column, int row)
{
    return {static_cast<uchar>(column / 8), static_cast<uchar>(row / 5), 128, 0};
}

// A delivered frame set, the registration made from the calibration, and the capture's handling of it.
struct KeptFrame {
    libfreenect2::Frame color{kKinectColorWidth, kKinectColorHeight, 4};
    libfreenect2::Frame depth{kKinectDepthWidth, kKinectDepthHeight, 4};
    KinectRegistration registration{kIrCamera, kColorCamera};
    KinectFrameKeeper keeper;

    explicit KeptFrame(const fs::path& outputDir) : keeper(registration, outputDir) {}
};

// What the files must hold follows from the scene and the calibration alone, never from what the
// capture handed to its writers, so a fault anywhere on the way shows.
class RegisteredFrameFiles : public ::testing::Test {
protected:
    // A wall 1.5 m away with a box 0.9 m away in front of it and a border of 8 pixels without depth.
    static void SetUpTestSuite()
    {
        outputDir_ = fs::temp_directory_path() / ("kestrum-real-registration-" + std::to_string(::getpid()));
        createOutputDirectories(outputDir_);
        frame_ = std::make_unique<KeptFrame>(outputDir_);
        cv::Mat color(kKinectColorHeight, kKinectColorWidth, CV_8UC4, frame_->color.data);
        color.forEach<cv::Vec4b>([](cv::Vec4b& pixel, const int* at) { pixel = colourAt(at[1], at[0]); });
        cv::Mat depth(kKinectDepthHeight, kKinectDepthWidth, CV_32FC1, frame_->depth.data);
        depth.setTo(0.0f);
        depth(cv::Rect(8, 8, kKinectDepthWidth - 16, kKinectDepthHeight - 16)).setTo(1500.0f);
        depth(cv::Rect(200, 150, 110, 120)).setTo(900.0f);
        frame_->keeper.keep(frame_->color, frame_->depth, 0, 0);
    }

    static void TearDownTestSuite()
    {
        fs::remove_all(outputDir_);
        frame_.reset();
    }

    static std::string fileBytes(const char* relativePath) { return readFileBytes((outputDir_ / relativePath).string()); }

    static cv::Mat image(const char* relativePath)
    {
        return cv::imread((outputDir_ / relativePath).string(), cv::IMREAD_UNCHANGED);
    }

    static inline std::unique_ptr<KeptFrame> frame_;
    static inline fs::path outputDir_;
};

// Undistorted with the depth lens (r2 = x^2 + y^2 of the normalised ray, distorted by
// 1 + k1 r2 + k2 r2^2 + k3 r2^3), every pixel shows what the raw pixel its ray meets shows.
TEST_F(RegisteredFrameFiles, DepthFilesHoldTheSceneUndistortedInMillimetres)
{
    const cv::Mat depth = image("depth/depth-0000.png");
    ASSERT_EQ(depth.type(), CV_16UC1);
    ASSERT_EQ(depth.size(), cv::Size(kKinectDepthWidth, kKinectDepthHeight));
    const struct {
        int column, row;
        uint16_t millimetres;
    } seen[] = {
        {0, 0, 1500},     // raw pixel (14, 11): the wall, though the raw image has no depth at (0, 0)
        {2, 211, 0},      // raw pixel (4, 211): the border
        {100, 100, 1500}, // raw pixel (99, 99): the wall
        {255, 210, 900},  // the box, in the middle, where the lens bends nothing
    };
    for (const auto& pixel : seen) {
        EXPECT_EQ(depth.at<uint16_t>(pixel.row, pixel.column), pixel.millimetres) << pixel.column << ", " << pixel.row;
    }
    EXPECT_EQ(cv::countNonZero((depth != 0) & (depth != 900) & (depth != 1500)), 0) << "a depth the scene does not have";
    const std::string raw = fileBytes("depth-raw/depth-0000.bin");
    ASSERT_EQ(raw.size(), depth.total() * depth.elemSize());
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), depth.ptr<char>()));
}

// The full colour JPEG shows the colour frame; the registered one, at each depth pixel that has a map
// entry, the colour frame's pixel that the entry names (but where the library's filter blacks it out).
TEST_F(RegisteredFrameFiles, ColourFilesShowTheColourFrameAndWhatEachDepthPixelSeesOfIt)
{
    cv::Mat colour(kKinectColorHeight, kKinectColorWidth, CV_8UC3);
    colour.forEach<cv::Vec3b>([](cv::Vec3b& pixel, const int* at) {
        const cv::Vec4b bgra = colourAt(at[1], at[0]);
        pixel = {bgra[0], bgra[1], bgra[2]};
    });
    EXPECT_GT(cv::PSNR(image("color-full/color-full-0000.jpg"), colour), 30.0);

    const cv::Mat registered = image("color/color-0000.jpg");
    const cv::Mat depth = image("depth/depth-0000.png");
    const std::string bytes = fileBytes("color-map/color-map-0000.bin");
    const int depthPixels = kKinectDepthWidth * kKinectDepthHeight;
    ASSERT_EQ(registered.size(), cv::Size(kKinectDepthWidth, kKinectDepthHeight));
    ASSERT_EQ(depth.size(), registered.size());
    ASSERT_EQ(bytes.size(), depthPixels * sizeof(int32_t));
    const auto* map = reinterpret_cast<const int32_t*>(bytes.data());
    const auto near = [](const cv::Vec3b& a, const cv::Vec3b& b) { return cv::norm(a, b, cv::NORM_INF) <= 12; };
    int mapped = 0;
    int sameColour = 0;
    for (int pixel = 0; pixel < depthPixels; ++pixel) {
        if (map[pixel] == -1) continue;
        ASSERT_TRUE(map[pixel] >= 0 && map[pixel] < kKinectColorWidth * kKinectColorHeight)
            << "entry " << map[pixel] << " of depth pixel " << pixel;
        ASSERT_GT(depth.at<uint16_t>(pixel), 0) << "depth pixel " << pixel << " has no depth but a map entry";
        ++mapped;
        sameColour += near(registered.at<cv::Vec3b>(pixel), colour.at<cv::Vec3b>(map[pixel]));
    }
    EXPECT_GT(mapped, depthPixels * 3 / 4);
    EXPECT_GT(sameColour, mapped * 9 / 10);
}

// The registration leaves the map entries of pixels it does not map alone, so a pixel that had depth in
// one kept frame and has none in the next must not keep its entry from the first.
TEST_F(RegisteredFrameFiles, APixelWithoutDepthMapsToNothingAlsoAfterAFrameInWhichItHadDepth)
{
    KeptFrame kept(outputDir_);
    std::fill(kept.color.data, kept.color.data + 4 * kKinectColorWidth * kKinectColorHeight, 0x80);
    cv::Mat depth(kKinectDepthHeight, kKinectDepthWidth, CV_32FC1, kept.depth.data);
    depth.setTo(1500.0f);
    kept.keeper.keep(kept.color, kept.depth, 1, 0);
    depth.colRange(0, kKinectDepthWidth / 2).setTo(0.0f);
    kept.keeper.keep(kept.color, kept.depth, 2, 100);

    const std::string first = fileBytes("color-map/color-map-0001.bin");
    const std::string second = fileBytes("color-map/color-map-0002.bin");
    const std::string millimetres = fileBytes("depth-raw/depth-0002.bin");
    const size_t pixels = static_cast<size_t>(kKinectDepthWidth) * kKinectDepthHeight;
    ASSERT_EQ(first.size() + second.size() + millimetres.size(), 10 * pixels);
    size_t lostDepth = 0;
    for (size_t pixel = 0; pixel < pixels; ++pixel) {
        if (reinterpret_cast<const uint16_t*>(millimetres.data())[pixel] != 0) continue;
        lostDepth += reinterpret_cast<const int32_t*>(first.data())[pixel] != -1;
        ASSERT_EQ(reinterpret_cast<const int32_t*>(second.data())[pixel], -1) << "depth pixel " << pixel;
    }
    EXPECT_GT(lostDepth, pixels / 4) << "pixels mapped in the first frame without depth in the second";
}

} // namespace
