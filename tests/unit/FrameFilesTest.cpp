// The files of a kept frame: names, depth conversion, both write sequences
// byte for byte, and what is left on disk when one of the files fails, also on
// a full file system (a tiny tmpfs; needs root, as CI has; skipped otherwise).
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

#include <cmath>
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
    cv::Mat registered = cv::Mat(424, 512, CV_8UC4);
    cv::Mat fullColor = cv::Mat(1080, 1920, CV_8UC4);
    cv::Mat undistorted = cv::Mat(424, 512, CV_32FC1);
    // Wider than the map so that the map is a view with padded rows.
    cv::Mat mapStorage = cv::Mat(424, 600, CV_32SC1, cv::Scalar(-1));

    KinectFrameMemory()
    {
        for (int row = 0; row < 424; ++row) {
            for (int column = 0; column < 512; ++column) {
                registered.at<cv::Vec4b>(row, column) = {uchar(column / 2), uchar(row / 2), 200, 0x55};
                undistorted.at<float>(row, column) = 500.0f + row * 10.0f + column * 0.25f;
                if ((row + column) % 3 != 0) {
                    mapStorage.at<int32_t>(row, column) = row * 4 * 1920 + column * 3;
                }
            }
        }
        undistorted.at<float>(0, 0) = std::numeric_limits<float>::quiet_NaN();
        undistorted.at<float>(0, 1) = -3.0f;
        undistorted.at<float>(423, 511) = 70000.0f;
        fullColor.setTo(cv::Scalar(30, 90, 180, 0xAA));
    }

    SampledFrame frame(int32_t index) const
    {
        SampledFrame sampled;
        sampled.index = index;
        sampled.timestampMs = 1234;
        sampled.color = registered;
        sampled.colorFull = fullColor;
        sampled.depthMm = undistorted;
        sampled.colorDepthMap = mapStorage(cv::Rect(0, 0, 512, 424));
        return sampled;
    }
};

std::vector<uint16_t> littleEndianValues(const std::string& bytes)
{
    std::vector<uint16_t> values(bytes.size() / 2);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return values;
}

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

TEST(DepthToMillimetreImage, ConvertsAViewWithPaddedRowsIntoAContinuousImage)
{
    cv::Mat wide(3, 8, CV_32FC1, cv::Scalar(9.0f));
    cv::Mat view = wide(cv::Rect(1, 0, 4, 3));
    view.at<float>(2, 3) = 77.6f;

    const cv::Mat millimetres = depthToMillimetreImage(view);

    EXPECT_TRUE(millimetres.isContinuous());
    EXPECT_EQ(millimetres.size(), cv::Size(4, 3));
    EXPECT_EQ(millimetres.at<uint16_t>(2, 3), 78);
    EXPECT_EQ(millimetres.at<uint16_t>(0, 0), 9);
}

TEST_F(FrameFiles, KinectFrameWritesFiveFilesAndThenItsLine)
{
    const KinectFrameMemory memory;

    const std::string line = writtenTo(std::cout, [&] { writeKinectFrameFiles(workers, outputDir, memory.frame(7)); });

    EXPECT_EQ(line, "{\"event\":\"frameSaved\",\"index\":7,\"timestampMs\":1234,\"colorFile\":\"" +
                        path("color/color-0007.jpg") + "\",\"depthFile\":\"" + path("depth/depth-0007.png") +
                        "\",\"depthRawFile\":\"" + path("depth-raw/depth-0007.bin") + "\"}\n");

    const std::string raw = readFileBytes(path("depth-raw/depth-0007.bin"));
    ASSERT_EQ(raw.size(), 434176u);
    const std::vector<uint16_t> rawValues = littleEndianValues(raw);
    EXPECT_EQ(rawValues[0], 0) << "NaN";
    EXPECT_EQ(rawValues[1], 0) << "negative";
    EXPECT_EQ(rawValues[2], 501) << "500.5 rounds away from zero";
    EXPECT_EQ(rawValues[3 * 512 + 4], 531);
    EXPECT_EQ(rawValues.back(), 0) << "70000 is out of range";

    // PNG equal to the raw values and the JPEG sizes are checked from a real run.
    const std::string map = readFileBytes(path("color-map/color-map-0007.bin"));
    ASSERT_EQ(map.size(), 868352u);
    EXPECT_EQ(map.substr(0, 4), std::string(4, '\xff')) << "pixel (0,0) is unmapped: -1";
    int32_t entry = 0;
    std::memcpy(&entry, map.data() + 4 * (5 * 512 + 8), 4);
    EXPECT_EQ(entry, 5 * 4 * 1920 + 8 * 3);
    std::memcpy(&entry, map.data() + map.size() - 4, 4);
    EXPECT_EQ(entry, 423 * 4 * 1920 + 511 * 3);

    const cv::Mat colorFull = cv::imread(path("color-full/color-full-0007.jpg"), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(colorFull.type(), CV_8UC3);
    // The fourth byte is dropped, not mixed in.
    const cv::Scalar fullMean = cv::mean(colorFull);
    EXPECT_NEAR(fullMean[0], 30, 2);
    EXPECT_NEAR(fullMean[1], 90, 2);
    EXPECT_NEAR(fullMean[2], 180, 2);
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

TEST_F(FrameFiles, AKinectDepthImageOfTheWrongSizeGetsNoRawFile)
{
    const KinectFrameMemory memory;
    SampledFrame wrongSize = memory.frame(4);
    const cv::Mat smallDepth(100, 100, CV_32FC1, cv::Scalar(1000.0f));
    wrongSize.depthMm = smallDepth;

    expectFailure([&] { writeKinectFrameFiles(workers, outputDir, wrongSize); },
                  "Ungültiges Tiefenbild für Rohdatenausgabe.");

    EXPECT_TRUE(exists("depth/depth-0004.png"));
    EXPECT_FALSE(exists("depth-raw/depth-0004.bin"));
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
    frame.index = 1;
    frame.depthMm = cv::Mat(8, 8, CV_16UC1, cv::Scalar(700));
    expectFailure([&] { writeOrbbecFrameFiles(workers, outputDir, frame); }, "Ungueltiges Orbbec-Tiefenbild.");
    EXPECT_FALSE(exists("depth/depth-0001.png"));
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
