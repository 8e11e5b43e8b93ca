// The files of a kept frame: names, depth conversion, the raw file against the PNG, and what
// is left on disk when one of the files fails, also on a full file system (a tiny tmpfs; needs
// root, as CI has; skipped otherwise). The rest of what the files hold shows in the programs' runs.
#include "BindMount.h"
#include "ChildProcess.h"
#include "DepthConversion.h"
#include "FrameFileName.h"
#include "FrameFiles.h"
#include "KinectFrameFiles.h"
#include "OrbbecFrameFiles.h"
#include "OutputDirectories.h"
#include "StreamCapture.h"
#include "TinyTmpfs.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

namespace fs = std::filesystem;

namespace {

// Expects the call to throw std::runtime_error with exactly this message and to write nothing to stdout.
template <typename Call>
void expectFailure(Call call, const std::string& message)
{
    std::string written;
    EXPECT_EQ(failureOf(call, written), message);
    EXPECT_EQ(written, "");
}

// Owns the pixel memory that a frame's views point into, as the camera library would.
struct KinectFrameMemory {
    cv::Mat registered = cv::Mat(424, 512, CV_8UC4, cv::Scalar(60, 120, 200, 0x55));
    cv::Mat fullColor = cv::Mat(1080, 1920, CV_8UC4, cv::Scalar(30, 90, 180, 0xAA));
    cv::Mat undistorted = cv::Mat(424, 512, CV_32FC1, cv::Scalar(1500.0f));
    cv::Mat map = cv::Mat(424, 512, CV_32SC1, cv::Scalar(-1));

    SampledFrame frame(int32_t index) const
    {
        SampledFrame sampled;
        sampled.index = index;
        sampled.timestampMs = 1234;
        sampled.color = registered;
        sampled.colorFull = fullColor;
        sampled.depthMm = undistorted;
        sampled.colorDepthMap = map;
        return sampled;
    }
};

class FrameFiles : public ::testing::Test {
protected:
    FrameFiles() { createOutputDirectories(outputDir); }

    // Makes a sub-directory unusable: a regular file of that name stands in its way.
    static void block(const fs::path& series, const char* subDirectory)
    {
        fs::remove_all(series / subDirectory);
        std::ofstream(series / subDirectory) << "not a directory";
    }
    std::string path(const std::string& relative) const { return (outputDir / relative).string(); }
    bool exists(const std::string& relative) const { return fs::exists(outputDir / relative); }

    ScratchDir scratch;
    const fs::path outputDir = fs::path(scratch.path()) / "series";
    WorkerPool workers{2};
};

} // namespace

TEST(FrameFileName, PadsTheIndexToAtLeastFourDigitsAndJoinsTheDirectoryAsGiven)
{
    EXPECT_EQ(frameFileName("color-full", 7, ".jpg"), "color-full-0007.jpg");
    EXPECT_EQ(frameFileName("depth", 9999, ".png"), "depth-9999.png");
    EXPECT_EQ(frameFileName("depth", 12345, ".bin"), "depth-12345.bin");
    EXPECT_EQ(frameFilePath("out/", kColorFile, 0), "out/color/color-0000.jpg");
    EXPECT_EQ(frameFilePath("../a b", kDepthFile, 1), "../a b/depth/depth-0001.png");
    EXPECT_EQ(frameFilePath("", kColorFullFile, 2), "color-full/color-full-0002.jpg");
    EXPECT_EQ(frameFilePath("out", kDepthRawFile, 3), "out/depth-raw/depth-0003.bin");
}

TEST(DepthToMillimetreImage, RoundsValidValuesAndZeroesEverythingElse)
{
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            0.0f, -5.0f, 65535.0f, 70000.0f, 0.4f, 0.5f, 1234.5f, 65534.4f, 65534.5f,
                            0.49999997f, std::numeric_limits<float>::max(), 1.0f, 2.5f};
    const uint16_t expected[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1235, 65534, 65535, 0, 0, 1, 3};
    const int count = static_cast<int>(std::size(values));
    const cv::Mat depth(1, count, CV_32FC1, const_cast<float*>(values));

    const cv::Mat millimetres = depthToMillimetreImage(depth);

    ASSERT_EQ(millimetres.type(), CV_16UC1);
    ASSERT_EQ(millimetres.size(), depth.size());
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(millimetres.at<uint16_t>(0, i), expected[i]) << "value " << values[i];
    }
}

// One conversion for both depth files: the raw file holds the PNG's millimetres, also where it rounds or zeroes.
TEST_F(FrameFiles, TheKinectRawFileHoldsTheDepthPngsMillimetres)
{
    KinectFrameMemory memory;
    memory.undistorted.at<float>(0, 0) = std::numeric_limits<float>::quiet_NaN();
    memory.undistorted.at<float>(0, 1) = 500.5f;
    memory.undistorted.at<float>(423, 511) = 70000.0f;
    writtenTo(std::cout, [&] { writeKinectFrameFiles(workers, outputDir, memory.frame(7)); });

    const cv::Mat png = cv::imread(path("depth/depth-0007.png"), cv::IMREAD_UNCHANGED);
    const std::string raw = readFileBytes(path("depth-raw/depth-0007.bin"));
    ASSERT_EQ(raw.size(), png.total() * png.elemSize());
    EXPECT_EQ(std::memcmp(raw.data(), png.data, raw.size()), 0);
    EXPECT_EQ(png.at<uint16_t>(0, 1), 501);
}

TEST_F(FrameFiles, AKinectFailureStopsAtItsFileAndKeepsTheFilesBefore)
{
    const KinectFrameMemory memory;
    const std::string inOrder[] = {"color/color-0000.jpg", "color-full/color-full-0000.jpg",
                                   "color-map/color-map-0000.bin", "depth/depth-0000.png",
                                   "depth-raw/depth-0000.bin"};
    const std::pair<const char*, std::string> failures[] = {
        {kColorDir, "Farbbild konnte nicht gespeichert werden: "},
        {kColorFullDir, "Original-Farbbild konnte nicht gespeichert werden: "},
        {kColorMapDir, "Color-Depth-Map konnte nicht geöffnet werden: "},
        {kDepthDir, "Tiefen-PNG konnte nicht gespeichert werden: "},
        {kDepthRawDir, "Tiefen-Rohdatei konnte nicht geöffnet werden: "},
    };
    for (size_t failing = 0; failing < std::size(failures); ++failing) {
        const auto& [subDirectory, message] = failures[failing];
        SCOPED_TRACE(subDirectory);
        const fs::path series = fs::path(scratch.path()) / subDirectory;
        createOutputDirectories(series);
        block(series, subDirectory);

        expectFailure([&] { writeKinectFrameFiles(workers, series, memory.frame(0)); },
                      message + (series / inOrder[failing]).string());

        for (size_t file = 0; file < std::size(inOrder); ++file) {
            if (file != failing) {
                EXPECT_EQ(fs::exists(series / inOrder[file]), file < failing) << inOrder[file];
            }
        }
    }
}

// The Orbbec files of a run are checked by the process tests: one per folder and frame, the JPEG
// qualities, and kestrum-series' check of a recorded series (sizes, formats, depth PNG against raw file).
TEST_F(FrameFiles, OrbbecFailuresUseTheirOwnMessages)
{
    const cv::Mat color(8, 8, CV_8UC3, cv::Scalar(1, 2, 3));
    const cv::Mat depth(8, 8, CV_32FC1, cv::Scalar(700.0f));
    SampledFrame frame;
    frame.color = color;
    frame.colorFull = color;
    frame.depthMm = depth;

    frame.index = 0;
    frame.depthMm = cv::Mat();
    expectFailure([&] { writeOrbbecFrameFiles(workers, outputDir, frame); }, "Ungueltiges Orbbec-Tiefenbild.");
    EXPECT_TRUE(exists("color/color-0000.jpg"));
    EXPECT_TRUE(exists("color-full/color-full-0000.jpg"));
    frame.depthMm = depth;

    block(outputDir, kDepthRawDir);
    frame.index = 2;
    expectFailure([&] { writeOrbbecFrameFiles(workers, outputDir, frame); },
                  "Depth-Rohdatei konnte nicht geoeffnet werden.");
    EXPECT_TRUE(exists("depth/depth-0002.png"));

    block(outputDir, kDepthDir);
    frame.index = 3;
    expectFailure([&] { writeOrbbecFrameFiles(workers, outputDir, frame); },
                  "Depth-PNG konnte nicht gespeichert werden.");
    EXPECT_TRUE(exists("color-full/color-full-0003.jpg"));

    // Both colour files carry the same text.
    block(outputDir, kColorFullDir);
    frame.index = 4;
    expectFailure([&] { writeOrbbecFrameFiles(workers, outputDir, frame); },
                  "Farbbild konnte nicht gespeichert werden: " + path("color-full/color-full-0004.jpg"));
    block(outputDir, kColorDir);
    frame.index = 5;
    expectFailure([&] { writeOrbbecFrameFiles(workers, outputDir, frame); },
                  "Farbbild konnte nicht gespeichert werden: " + path("color/color-0005.jpg"));
}

// A final name that cannot be renamed onto: the file could not take its name, which is what
// "geöffnet" reports, not that its bytes failed.
TEST_F(FrameFiles, ABinaryFileThatCannotTakeItsNameIsReportedAsNotOpened)
{
    std::ofstream(path("elsewhere")) << "an earlier run's file";
    const std::pair<const char*, std::string> cases[] = {
        {"color-map/color-map-0000.bin", "Color-Depth-Map konnte nicht geöffnet werden: "},
        {"depth-raw/depth-0000.bin", "Tiefen-Rohdatei konnte nicht geöffnet werden: "},
    };
    for (const auto& [file, message] : cases) {
        std::ofstream(path(file)) << "covered";
        const BindMount covered(path("elsewhere"), path(file));
        if (!covered.mounted()) {
            GTEST_SKIP() << covered.skipReason();
        }
        expectFailure([&] { writeKinectFrameFiles(workers, outputDir, KinectFrameMemory().frame(0)); },
                      message + path(file));
        EXPECT_EQ(readFileBytes(path(file)), "an earlier run's file");
    }
}

// Both binary files are larger than the disk; the files after them are not written.
TEST_F(FrameFiles, AKinectBinaryFileThatDoesNotFitIsReported)
{
    const std::pair<const char*, std::string> cases[] = {
        {kColorMapDir, "Color-Depth-Map konnte nicht vollständig geschrieben werden."},
        {kDepthRawDir, "Tiefen-Rohdatei konnte nicht geschrieben werden: " + path("depth-raw/depth-0000.bin")},
    };
    for (const auto& [subDirectory, message] : cases) {
        const TinyTmpfs disk(outputDir / subDirectory, "256k");
        if (!disk.mounted()) {
            GTEST_SKIP() << disk.skipReason();
        }
        expectFailure([&] { writeKinectFrameFiles(workers, outputDir, KinectFrameMemory().frame(0)); }, message);
        EXPECT_NE(exists("depth/depth-0000.png"), subDirectory == kColorMapDir);
    }
}

// Creating the file takes no block of the full disk; only its bytes find no room.
TEST_F(FrameFiles, AnOrbbecRawDepthFileThatDoesNotFitIsReported)
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
    expectFailure([&] { writeOrbbecFrameFiles(workers, outputDir, frame); },
                  "Depth-Rohdatei konnte nicht vollstaendig geschrieben werden.");
}
