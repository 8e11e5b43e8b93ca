// The Kinect v2 frame files of synthetic frames registered by the libfreenect2 the programs link:
// the real one (label real-sdk), else the stand-in.
#include "KinectFrameKeeper.h"
#include "KinectGeometry.h"
#include "OutputDirectories.h"

#include <libfreenect2/libfreenect2.hpp>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Close to what a Kinect v2 reports from its factory calibration.
const libfreenect2::Freenect2Device::IrCameraParams kIrCamera{365.48f, 365.48f, 256.96f, 207.41f, 0.0915f,
                                                               -0.2701f, 0.0936f, 0.0f, 0.0f};
const libfreenect2::Freenect2Device::ColorCameraParams kColorCamera{
    1081.37f, 1081.37f, 959.5f, 539.5f, 863.0f, 52.0f,
    0.000449f, 0.0000192f, 0.0000402f, 0.000115f, 0.00101f, 0.0000021f, -0.000287f, 0.6398f, -0.00197f, 0.1585f,
    0.0000201f, 0.000839f, 0.000454f, 0.0000627f, -0.000207f, -0.000463f, 0.00106f, 0.0016f, 0.6393f, 0.0218f};

// A delivered frame set, the registration made from the calibration, and the capture's own
// handling of the set, which keeps the registration's outputs that the files were written from.
struct KeptFrame {
    libfreenect2::Frame color{kKinectColorWidth, kKinectColorHeight, 4};
    libfreenect2::Frame depth{kKinectDepthWidth, kKinectDepthHeight, 4};
    KinectRegistration registration{kIrCamera, kColorCamera};
    KinectFrameKeeper keeper;
    SampledFrame written;

    explicit KeptFrame(const fs::path& outputDir) : keeper(registration, outputDir) {}
};

class RealRegistrationFrameFiles : public ::testing::Test {
protected:
    // A wall 1.5 m away with a box 0.9 m away in front of it, a border without depth, and a
    // colour image whose pixels all differ (column and row in blue, green and red, never 0).
    static void SetUpTestSuite()
    {
        outputDir_ = fs::temp_directory_path() / ("kestrum-real-registration-" + std::to_string(::getpid()));
        createOutputDirectories(outputDir_);
        frame_ = std::make_unique<KeptFrame>(outputDir_);
        cv::Mat color(kKinectColorHeight, kKinectColorWidth, CV_8UC4, frame_->color.data);
        for (int row = 0; row < kKinectColorHeight; ++row) {
            for (int column = 0; column < kKinectColorWidth; ++column) {
                color.at<cv::Vec4b>(row, column) =
                    cv::Vec4b(column & 0xFF, row & 0xFF, 1 + (column >> 8) + 8 * (row >> 8), 0);
            }
        }
        cv::Mat depth(kKinectDepthHeight, kKinectDepthWidth, CV_32FC1, frame_->depth.data);
        depth.setTo(0.0f);
        depth(cv::Rect(8, 8, kKinectDepthWidth - 16, kKinectDepthHeight - 16)).setTo(1500.0f);
        depth(cv::Rect(200, 150, 110, 120)).setTo(900.0f);

        frame_->written = frame_->keeper.keep(frame_->color, frame_->depth, 0, 0);
    }

    static void TearDownTestSuite()
    {
        fs::remove_all(outputDir_);
        frame_.reset();
    }

    static std::vector<char> fileBytes(const char* relativePath)
    {
        std::ifstream in(outputDir_ / relativePath, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static cv::Mat image(const char* relativePath)
    {
        return cv::imread((outputDir_ / relativePath).string(), cv::IMREAD_UNCHANGED);
    }

    static inline std::unique_ptr<KeptFrame> frame_;
    static inline fs::path outputDir_;
};

TEST_F(RealRegistrationFrameFiles, FiveFilesWithTheirSizes)
{
    EXPECT_EQ(fileBytes("color-map/color-map-0000.bin").size(), 4u * kKinectDepthWidth * kKinectDepthHeight);
    EXPECT_EQ(fileBytes("depth-raw/depth-0000.bin").size(), 2u * kKinectDepthWidth * kKinectDepthHeight);
    const cv::Size depthSize(kKinectDepthWidth, kKinectDepthHeight);
    EXPECT_EQ(image("color/color-0000.jpg").size(), depthSize);
    EXPECT_EQ(image("color-full/color-full-0000.jpg").size(), cv::Size(kKinectColorWidth, kKinectColorHeight));
    const cv::Mat depth = image("depth/depth-0000.png");
    EXPECT_EQ(depth.size(), depthSize);
    EXPECT_EQ(depth.type(), CV_16UC1);
}

// The map file holds the entries as the registration left them: -1 where it did not write, and
// where it did, a pixel of the colour image, which is where the registered colour came from.
TEST_F(RealRegistrationFrameFiles, MapPointsIntoTheColourImageAtTheRegisteredColour)
{
    const std::vector<char> bytes = fileBytes("color-map/color-map-0000.bin");
    const int depthPixels = kKinectDepthWidth * kKinectDepthHeight;
    ASSERT_EQ(bytes.size(), depthPixels * sizeof(int32_t));
    const auto* map = reinterpret_cast<const int32_t*>(bytes.data());
    const auto* registered = frame_->written.color.ptr<cv::Vec4b>();
    const auto* color = frame_->written.colorFull.ptr<cv::Vec4b>();
    const auto* depth = frame_->written.depthMm.ptr<float>();
    int mapped = 0;
    int sameColour = 0;
    for (int pixel = 0; pixel < depthPixels; ++pixel) {
        if (map[pixel] == -1) continue;
        ASSERT_TRUE(map[pixel] >= 0 && map[pixel] < kKinectColorWidth * kKinectColorHeight)
            << "entry " << map[pixel] << " of depth pixel " << pixel;
        ASSERT_GT(depth[pixel], 0.0f) << "depth pixel " << pixel << " has no depth but a map entry";
        ++mapped;
        // The filter blacks out depth points the colour camera cannot see (beside the box).
        if (registered[pixel] == color[map[pixel]]) {
            ++sameColour;
        } else {
            ASSERT_EQ(registered[pixel], cv::Vec4b(0, 0, 0, 0)) << "depth pixel " << pixel;
        }
    }
    EXPECT_GT(mapped, depthPixels * 3 / 4);
    EXPECT_GT(sameColour, mapped * 9 / 10);
}

// The JPEGs are lossy: close to the images they were made of (about 29 and 36 dB here); the
// registered image shifted by two columns scores 22 dB, the full image scaled down 10 dB.
TEST_F(RealRegistrationFrameFiles, ColourFilesShowTheRegisteredAndTheFullImage)
{
    cv::Mat expected;
    cv::cvtColor(frame_->written.color, expected, cv::COLOR_BGRA2BGR);
    EXPECT_GT(cv::PSNR(image("color/color-0000.jpg"), expected), 25.0);
    cv::cvtColor(frame_->written.colorFull, expected, cv::COLOR_BGRA2BGR);
    EXPECT_GT(cv::PSNR(image("color-full/color-full-0000.jpg"), expected), 25.0);
}

TEST_F(RealRegistrationFrameFiles, DepthFilesHoldTheUndistortedDepthInMillimetres)
{
    const cv::Mat depth = image("depth/depth-0000.png");
    ASSERT_EQ(depth.type(), CV_16UC1);
    cv::Mat expected;
    frame_->written.depthMm.convertTo(expected, CV_16UC1);
    EXPECT_EQ(cv::countNonZero(depth != expected), 0);
    EXPECT_GT(cv::countNonZero(depth == 900), 0);
    EXPECT_GT(cv::countNonZero(depth == 1500), 0);
    const std::vector<char> raw = fileBytes("depth-raw/depth-0000.bin");
    ASSERT_EQ(raw.size(), depth.total() * depth.elemSize());
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), depth.ptr<char>()));
}

// The registration leaves the map entries of pixels it does not map alone, so a pixel that had depth in
// one kept frame and has none in the next must not keep its entry from the first.
TEST_F(RealRegistrationFrameFiles, APixelWithoutDepthMapsToNothingAlsoAfterAFrameInWhichItHadDepth)
{
    KeptFrame kept(outputDir_);
    std::fill(kept.color.data, kept.color.data + 4 * kKinectColorWidth * kKinectColorHeight, 0x80);
    cv::Mat depth(kKinectDepthHeight, kKinectDepthWidth, CV_32FC1, kept.depth.data);
    depth.setTo(1500.0f);
    kept.keeper.keep(kept.color, kept.depth, 1, 0);
    depth.colRange(0, kKinectDepthWidth / 2).setTo(0.0f);
    kept.keeper.keep(kept.color, kept.depth, 2, 100);

    const std::vector<char> first = fileBytes("color-map/color-map-0001.bin");
    const std::vector<char> second = fileBytes("color-map/color-map-0002.bin");
    const std::vector<char> millimetres = fileBytes("depth-raw/depth-0002.bin");
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
