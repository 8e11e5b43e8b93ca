// Frame files and capture.json on a file system that is full: the failure is
// reported, never a success naming a truncated file. Needs root to mount a
// tiny tmpfs (CI runs as root); skipped otherwise.
#include "CaptureMetadata.h"
#include "ChildProcess.h"
#include "KinectFrameFiles.h"
#include "OrbbecFrameFiles.h"
#include "OutputDirectories.h"
#include "StreamCapture.h"
#include "TinyTmpfs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct KinectFrame {
    cv::Mat color = cv::Mat(424, 512, CV_8UC4, cv::Scalar(10, 20, 30, 0));
    cv::Mat colorFull = cv::Mat(1080, 1920, CV_8UC4, cv::Scalar(40, 50, 60, 0));
    cv::Mat depth = cv::Mat(424, 512, CV_32FC1, cv::Scalar(1500.0f));
    cv::Mat map = cv::Mat(424, 512, CV_32SC1, cv::Scalar(-1));

    SampledFrame frame() const
    {
        SampledFrame sampled;
        sampled.color = color;
        sampled.colorFull = colorFull;
        sampled.depthMm = depth;
        sampled.colorDepthMap = map;
        return sampled;
    }
};

class FullDisk : public ::testing::Test {
protected:
    FullDisk() { createOutputDirectories(outputDir); }
    std::string path(const std::string& relative) const { return (outputDir / relative).string(); }

    ScratchDir scratch;
    const fs::path outputDir = fs::path(scratch.path()) / "series";
};

} // namespace

TEST_F(FullDisk, KinectColourToDepthMapThatDoesNotFitIsReported)
{
    const TinyTmpfs disk(outputDir / kColorMapDir, "256k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }
    const KinectFrame memory;
    std::string written;

    const std::string message = failureOf([&] { writeKinectFrameFiles(outputDir, memory.frame()); }, written);

    EXPECT_EQ(message, "Color-Depth-Map konnte nicht vollständig geschrieben werden.");
    EXPECT_EQ(written, "");
    EXPECT_FALSE(fs::exists(path("depth/depth-0000.png")));
}

// A small raw file stays in the stream's buffer until the file is closed, so
// only a check after closing can see that it never reached the disk.
TEST_F(FullDisk, OrbbecRawDepthLostWhenClosingIsReported)
{
    const TinyTmpfs disk(outputDir / kDepthRawDir, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }
    ASSERT_TRUE(disk.fillUp());
    const cv::Mat color(20, 20, CV_8UC3, cv::Scalar(1, 2, 3));
    const cv::Mat depth(20, 20, CV_32FC1, cv::Scalar(800.0f));
    SampledFrame frame;
    frame.color = color;
    frame.colorFull = color;
    frame.depthMm = depth;
    std::string written;

    const std::string message = failureOf([&] { writeOrbbecFrameFiles(outputDir, frame); }, written);

    EXPECT_EQ(message, "Depth-Rohdatei konnte nicht vollstaendig geschrieben werden.");
    EXPECT_EQ(written, "");
}

TEST_F(FullDisk, CaptureJsonThatCannotReachTheDiskIsReported)
{
    const TinyTmpfs disk(outputDir, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }
    ASSERT_TRUE(disk.fillUp());
    const std::string text = kinectCaptureJson(CaptureStatistics{}, KinectMetadata{});
    std::string written;

    const std::string message = failureOf([&] { writeCaptureJson(outputDir, text); }, written);

    EXPECT_EQ(message, "capture.json konnte nicht geschrieben werden.");
}
