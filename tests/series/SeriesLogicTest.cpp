// kestrum-series' pure logic where the process tests' recorded series cannot reach: broken
// capture.json files and texts that are not UTF-8, what a run can write, the check rules and image
// headers, leftovers beyond those the process tests make, the report's singular forms and escapes,
// the timing file's text and rules, the timing report and strip, the depth range, the sheet's frames,
// grid, tile labels and legend, the point cloud's axes, the command line.
#include "CaptureMetadata.h"
#include "CheckReport.h"
#include "CheckRules.h"
#include "ChildProcess.h"
#include "ContactSheet.h"
#include "DepthColoring.h"
#include "FrameFileRules.h"
#include "FrameImage.h"
#include "IntervalStrip.h"
#include "PointCloud.h"
#include "ParallelFor.h"
#include "RunLimits.h"
#include "SeriesArguments.h"
#include "SeriesCheck.h"
#include "SeriesFiles.h"
#include "SheetLayout.h"
#include "TimingReport.h"
#include "TimingRules.h"

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>
#include <utility>

namespace {

// Requested 3000 ms at 10 per second; 89 frames received in 3009 ms, 30 saved, 59 skipped.
CaptureStatistics statistics()
{
    return {3000, 10, 3009, 89, 30, 0, 0, 59, 89 * 1000.0 / 3009, 30 * 1000.0 / 3009};
}

SeriesDescription kinectSeries(const CaptureStatistics& s = statistics())
{
    return parseCaptureJson(kinectCaptureJson(s, {"011054343347", {366.12f, 366.12f, 258.27f, 204.73f}}));
}

// The 30 frames of kinectSeries(), kept 100 ms apart on both host clocks, each after three frames received
// (all but the first) that a device clock of its own stamped 100 ms apart, depth 4 ms before colour.
TimingFile steadyTiming()
{
    TimingFile file;
    file.timing.samplingStart = SamplingStart{1'733'600'000'000'000, 5'000'000'000};
    for (int32_t k = 0; k < 30; ++k) {
        FrameTiming frame;
        frame.index = k;
        frame.timestampMs = 100 * k + 7;
        frame.hostMonotonicUs = 5'000'000'000 + frame.timestampMs * 1000 + 400;
        frame.hostWallClockUs = 1'733'600'000'000'000 + frame.timestampMs * 1000 + 401;
        frame.receivedSincePrevious = k == 0 ? 1 : 3;
        const auto number = static_cast<uint64_t>(15 + 3 * k);
        frame.camera.color = {number, 3'600'500'000 + 100'000ull * k, std::nullopt, std::nullopt, 12.0, 1.0};
        frame.camera.depth = {number, 3'600'496'000 + 100'000ull * k, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
        file.timing.frames.push_back(frame);
        file.frameLines.push_back(static_cast<size_t>(k) + 2);
    }
    return file;
}

// An Orbbec series of these sizes, or one that claims another camera's.
SeriesDescription orbbecSeries(int width = 1280, int height = 720, int colorWidth = 1280, int colorHeight = 720,
                               SeriesCamera camera = SeriesCamera::Orbbec)
{
    SeriesDescription series = kinectSeries();
    series.camera = camera;
    series.device = "Orbbec Gemini 335";
    series.width = width;
    series.height = height;
    series.fullColorWidth = colorWidth;
    series.fullColorHeight = colorHeight;
    return series;
}

template <typename T> std::vector<uint8_t> bytesOf(const std::vector<T>& values)
{
    std::vector<uint8_t> bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

} // namespace

// Both variants are read from real runs in the process tests.
TEST(SeriesDescription, RefusesBrokenCaptureJson)
{
    const std::string valid = kinectCaptureJson(statistics(), {"1", {1, 1, 0, 0}});
    for (const auto& [from, to] : {std::pair{"\"savedFrames\": 30", "\"savedFrames\": -1"},
                                   {"\"width\": 512", "\"width\": \"512\""},
                                   {"\"width\": 512", "\"width\": 0"},
                                   {"\"fx\": 1.000", "\"fx\": 0"},
                                   {"\"serial\"", "\"backend\": \"kinect\", \"serial\""},
                                   {"\"height\": 424,", ""},
                                   {"\"skippedFrames\": 59", "\"skippedFrames\": 2147483648"},
                                   {"}\n", ""}}) {
        std::string broken = valid;
        broken.replace(broken.find(from), std::strlen(from), to);
        EXPECT_THROW(parseCaptureJson(broken), SeriesDescriptionError) << broken;
    }
}

TEST(SeriesDescription, ReadsBytesThatAreNotUtf8AsReplacementCharacters)
{
    const std::string serial = "a\xFF b\xE2\x82 c\xED\xA0\x80 d\xC0\xAF e\xF4\x90\x80 f\xF0\x9F\x98\x80\xC3\xA4";
    EXPECT_EQ(parseCaptureJson(kinectCaptureJson(statistics(), {serial, {1, 1, 0, 0}})).serial,
              "a\uFFFD b\uFFFD c\uFFFD\uFFFD\uFFFD d\uFFFD\uFFFD e\uFFFD\uFFFD\uFFFD f\U0001F600\u00E4");
}

TEST(RunLimits, CaptureJsonThatNoRunCouldWriteAndTheFramesChecked)
{
    const struct {
        int64_t requestedMs, actualMs, sampleFps, saved;
        std::optional<std::string> problem;
        int64_t checked;
    } cases[] = {
        // Kept frames lie at least 1000 / 3 - 1 ms apart: at 0, 333 and 666 ms, no fourth by 996 ms.
        {1000, 996, 3, 3, std::nullopt, 3},
        {1000, 996, 3, 4, "savedFrames 4 is more than a run of 996 ms at 3 per second can keep (3)", 3},
        {10000, 15000, 10, 152, std::nullopt, 152},
        {10000, 15001, 10, 152, "actualDurationMs 15001 is more than 5000 ms beyond requestedDurationMs 10000", 152},
        {3000, 2000000000, 10, 2000000000, "actualDurationMs 2000000000 is more than 5000 ms beyond requestedDurationMs 3000", 81},
        {20000, 3009, 10, 30, "requestedDurationMs 20000 is outside the capture program's 1000 to 10000", 30},
        {3000, 3009, 0, 30, "requestedSampleFps 0 is outside the capture program's 1 to 10", 4},
    };
    for (const auto& c : cases) {
        SeriesDescription series = kinectSeries();
        series.requestedDurationMs = c.requestedMs;
        series.actualDurationMs = c.actualMs;
        series.requestedSampleFps = c.sampleFps;
        series.savedFrames = c.saved;
        EXPECT_EQ(impossibleRunProblem(series), c.problem) << c.actualMs << " ms, " << c.saved << " frames";
        EXPECT_EQ(framesToCheck(series), c.checked) << c.actualMs << " ms, " << c.saved << " frames";
    }
}

// Each camera writes one size of each image: any other is the one fault, and no frame is read.
TEST(RunLimits, ImageSizesThatTheCameraDoesNotWrite)
{
    const std::pair<SeriesDescription, std::optional<std::string>> cases[] = {
        {kinectSeries(), std::nullopt},
        {orbbecSeries(), std::nullopt},
        {orbbecSeries(512, 5000, 0, 0, SeriesCamera::KinectV2), "width x height 512x5000 is not the Kinect v2's 512x424"},
        {orbbecSeries(4096, 424, 0, 0, SeriesCamera::KinectV2), "width x height 4096x424 is not the Kinect v2's 512x424"},
        {orbbecSeries(1280, 719), "width x height 1280x719 is not the Orbbec camera's 1280x720"},
        {orbbecSeries(4096, 720), "width x height 4096x720 is not the Orbbec camera's 1280x720"},
        {orbbecSeries(1280, 720, 1280, 4096), "colorWidth x colorHeight 1280x4096 is not the Orbbec camera's 1280x720"},
        {orbbecSeries(1280, 720, 1920, 720), "colorWidth x colorHeight 1920x720 is not the Orbbec camera's 1280x720"},
    };
    for (const auto& [series, problem] : cases) {
        EXPECT_EQ(impossibleRunProblem(series), problem);
        EXPECT_EQ(framesToCheck(series), problem ? 0 : 30) << problem.value_or("");
    }
}

// However many cores, no more frames are checked at once than fit in 256 MB at the largest size each
// of their files may have: ten Kinect v2 or nine Orbbec frames.
TEST(SeriesCheck, FramesCheckedAtOnceStayWithinTheMemoryBound)
{
    EXPECT_EQ(jobsAtOnce(152, frameCheckBytes(kinectSeries()), 64), 10u);
    EXPECT_EQ(jobsAtOnce(152, frameCheckBytes(orbbecSeries()), 64), 9u);
    EXPECT_EQ(jobsAtOnce(152, frameCheckBytes(orbbecSeries()), 2), 2u);
    EXPECT_EQ(jobsAtOnce(3, frameCheckBytes(orbbecSeries()), 64), 3u);
    EXPECT_EQ(jobsAtOnce(152, uintmax_t{1} << 40, 64), 1u);
}

TEST(CheckRules, CountersThatDoNotAddUp)
{
    CaptureStatistics s = statistics();
    s.skippedFrames = 58;
    s.savedFps = 11.0;
    EXPECT_EQ(counterProblems(kinectSeries(s)),
              (std::vector<std::string>{
                  "receivedFrames 89 is not savedFrames + incompleteFrames + skippedFrames (88)",
                  "savedFps 11 is not frames * 1000 / actualDurationMs (9.97009)"}));
    // Incomplete frames count among the received; a run that lasted 0 ms has rates of 0.
    EXPECT_EQ(counterProblems(kinectSeries({3000, 10, 3009, 94, 30, 2, 5, 59, 94 * 1000.0 / 3009, 30 * 1000.0 / 3009})),
              std::vector<std::string>{});
    EXPECT_EQ(counterProblems(kinectSeries({3000, 10, 0, 0, 0, 0, 0, 0, 0.0, 0.0})), std::vector<std::string>{});
}

TEST(CheckRules, FilesCutShortOrOfTheWrongSizeOrType)
{
    std::vector<uint8_t> png;
    cv::imencode(".png", cv::Mat(2, 3, CV_16UC1, cv::Scalar(7)), png);
    EXPECT_EQ(truncationProblem(png, true), std::nullopt);
    png.pop_back();
    EXPECT_EQ(truncationProblem(png, true), "is cut short: it does not end with the IEND chunk");

    EXPECT_EQ(imageProblem(cv::Mat(), 3, 2, CV_16UC1), "does not decode");
    EXPECT_EQ(imageProblem(cv::Mat(2, 3, CV_16UC1), 3, 3, CV_16UC1), "decodes to 3x2, not 3x3");
    EXPECT_EQ(imageProblem(cv::Mat(2, 3, CV_8UC1), 3, 2, CV_16UC1), "is not 16-bit greyscale");
}

// A JPEG whose header promises another size is refused in the recorded series.
TEST(CheckRules, ImageHeadersOfTheWrongSizeOrPixelsBeforeDecoding)
{
    std::vector<uint8_t> png;
    std::vector<uint8_t> jpeg;
    cv::imencode(".png", cv::Mat(2, 3, CV_16UC1), png);
    cv::imencode(".jpg", cv::Mat(2, 3, CV_8UC3), jpeg);
    EXPECT_EQ(headerProblem(pngHeader(png), 3, 2, true), std::nullopt);
    EXPECT_EQ(headerProblem(jpegHeader(jpeg), 3, 2, false), std::nullopt);
    EXPECT_EQ(headerProblem(jpegHeader(png), 3, 2, false), "does not decode");
    EXPECT_EQ(headerProblem(jpegHeader(jpeg), 3, 3, false), "is 3x2 in its header, not 3x3");
    png[18] = 0x7D;   // the width's third byte: 32003
    EXPECT_EQ(headerProblem(pngHeader(png), 3, 2, true), "is 32003x2 in its header, not 3x2");
    cv::imencode(".png", cv::Mat(2, 3, CV_8UC1), png);
    EXPECT_EQ(headerProblem(pngHeader(png), 3, 2, true), "is not 16-bit greyscale");
    cv::imencode(".jpg", cv::Mat(2, 3, CV_8UC1), jpeg);
    EXPECT_EQ(headerProblem(jpegHeader(jpeg), 3, 2, false), "is not 8-bit 3-channel colour");
}

// A depth PNG against its raw file is checked on a real series.
TEST(CheckRules, ColorMapEntries)
{
    EXPECT_EQ(colorMapProblem(bytesOf(std::vector<int32_t>{-1, 0, 1920 * 1080 - 1}), 1920, 1080), std::nullopt);
    EXPECT_EQ(colorMapProblem(bytesOf(std::vector<int32_t>{-1, -2, 1920 * 1080}), 1920, 1080),
              "2 entries are neither -1 nor inside the 1920x1080 colour image, first entry 1: -2");
}

TEST(SeriesFiles, FolderEntriesThatAreNotFilesOfTheSeries)
{
    SeriesDescription kinect = kinectSeries();
    kinect.savedFrames = 6;
    SeriesDescription orbbec = kinect;
    orbbec.camera = SeriesCamera::Orbbec;
    orbbec.device = "Orbbec Gemini 335";
    const std::optional<std::string> belongs;
    const std::string foreign = "not a file of a test series";
    const struct {
        const SeriesDescription& series;
        const char* folder;
        const char* name;
        std::optional<std::string> reason;
    } cases[] = {
        {kinect, "color", "color-005.jpg", foreign},
        {kinect, "depth", "depth-0006.png", "frame 6 is beyond savedFrames 6 (a file of an earlier, longer run)"},
        {kinect, "color", "color-00005.jpg", foreign},
        {kinect, "depth-raw", "depth-0001.png", foreign},
        {kinect, "color-full", "color-0001.jpg", foreign},
        {orbbec, "color-map", "color-map-0000.bin", "not written by the Orbbec Gemini 335 (a file of an earlier run)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leftoverReason(c.series, c.folder, c.name), c.reason) << c.folder << "/" << c.name;
    }
    kinect.savedFrames = 20000;
    EXPECT_EQ(leftoverReason(kinect, "color", "color-12345.jpg"), belongs);
}

TEST(CheckReport, TextAndJsonLines)
{
    CheckReport report;
    report.frames = 1;
    report.faults = {{"out/depth-raw/depth-0000.bin", "is missing"}};
    report.leftovers = {{"out/color/c\"1\xFF\n\x1B\x7F.jpg", "not a file of a test series"}};
    EXPECT_EQ(checkReportText(report), "fault: out/depth-raw/depth-0000.bin: is missing\n"
                                       "leftover: out/color/c\"1\xFF\\x0a\\x1b\\x7f.jpg: not a file of a test series\n"
                                       "summary: not whole, 1 frame, 1 fault, 1 leftover\n");
    EXPECT_EQ(checkReportJson(report),
              "{\"type\":\"fault\",\"file\":\"out/depth-raw/depth-0000.bin\",\"what\":\"is missing\"}\n"
              "{\"type\":\"leftover\",\"file\":\"out/color/c\\\"1\uFFFD\\n\\u001b\x7F.jpg\",\"what\":\"not a file of a test series\"}\n"
              "{\"type\":\"summary\",\"whole\":false,\"frames\":1,\"faults\":1,\"leftovers\":1}\n");
}

TEST(DepthColoring, PercentilesOfValidDepthAndInvalidBlack)
{
    DepthHistogram histogram = emptyDepthHistogram();
    EXPECT_EQ(percentileRange(histogram).highMm, 0);
    cv::Mat depth(1, 101, CV_16UC1);
    for (int i = 0; i <= 100; ++i) depth.at<uint16_t>(0, i) = static_cast<uint16_t>(i * 10);
    addToHistogram(histogram, depth);
    const DepthRange range = percentileRange(histogram);
    EXPECT_EQ(range.lowMm, 20);
    EXPECT_EQ(range.highMm, 980);

    // No depth black, the range's ends and beyond them TURBO's first and last colour.
    const cv::Mat colored = coloredDepth(depth, range);
    EXPECT_EQ(colored.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(colored.at<cv::Vec3b>(0, 1), cv::Vec3b(59, 18, 48));
    EXPECT_EQ(colored.at<cv::Vec3b>(0, 2), cv::Vec3b(59, 18, 48));
    EXPECT_EQ(colored.at<cv::Vec3b>(0, 98), cv::Vec3b(3, 4, 122));
    EXPECT_EQ(colored.at<cv::Vec3b>(0, 100), cv::Vec3b(3, 4, 122));
    EXPECT_NE(colored.at<cv::Vec3b>(0, 50), colored.at<cv::Vec3b>(0, 51));

    // Nearest rank of three values: the 98th percentile is the third (rank 2.94 rounded up), not the second.
    DepthHistogram three = emptyDepthHistogram();
    addToHistogram(three, (cv::Mat_<uint16_t>(1, 4) << 0, 10, 20, 30));
    EXPECT_EQ(percentileRange(three).lowMm, 10);
    EXPECT_EQ(percentileRange(three).highMm, 30);
}

TEST(SheetLayout, EvenlySpacedFramesInAGridThatFitsTheWidth)
{
    EXPECT_EQ(sheetFrames(3), (std::vector<int32_t>{0, 1, 2}));
    const std::vector<int32_t> many = sheetFrames(100);
    ASSERT_EQ(many.size(), 24u);
    EXPECT_EQ(many.front(), 0);
    EXPECT_EQ(many.back(), 99);
    for (size_t i = 1; i < many.size(); ++i) {
        EXPECT_GE(many[i] - many[i - 1], 4);
        EXPECT_LE(many[i] - many[i - 1], 5);
    }
    // Columns, rows, tile width (two images side by side) and height: each image keeps its aspect, and the
    // grid of 1920 x 1194 is nearer to 16:9 than 5 columns' 1920 x 795 or 3 columns' 1920 x 2120.
    for (const auto& [tiles, width, height, expected] : {std::tuple{24, 512, 424, std::vector<int>{4, 6, 480, 199}},
                                                         {1, 512, 424, {1, 1, 1920, 795}},
                                                         {7, 1280, 720, {2, 4, 960, 270}}}) {
        const SheetLayout layout = sheetLayout(tiles, width, height);
        EXPECT_EQ(std::vector<int>({layout.columns, layout.rows, layout.tileWidth, layout.tileHeight}), expected);
    }
}

// Without any image every tile looks alike but for its label, so a tile of a series of 30 frames must
// equal the tile of the same frame on the sheet of a series of 24, where each frame has its own tile.
TEST(ContactSheet, TilesAreLabelledWithTheNumbersOfTheirFrames)
{
    ScratchDir noImages;
    SeriesDescription thirty = kinectSeries();
    thirty.savedFrames = 30;
    SeriesDescription twentyFour = thirty;
    twentyFour.savedFrames = 24;
    const cv::Mat sampled = contactSheet(noImages.path(), thirty);
    const cv::Mat every = contactSheet(noImages.path(), twentyFour);
    const SheetLayout layout = sheetLayout(24, thirty.width, thirty.height);
    const auto tile = [&](const cv::Mat& sheet, int position) {
        const int gridTop = sheet.rows - layout.rows * layout.tileHeight;
        return sheet(cv::Rect(position % layout.columns * layout.tileWidth,
                              gridTop + position / layout.columns * layout.tileHeight, layout.tileWidth, layout.tileHeight));
    };
    const std::vector<int32_t> shown = sheetFrames(30);
    int moved = 0;
    for (int position = 0; position < 24 && shown[position] < 24; ++position) {
        EXPECT_EQ(cv::norm(tile(sampled, position), tile(every, shown[position]), cv::NORM_INF), 0) << position;
        moved += shown[position] != position;
    }
    EXPECT_GT(moved, 10);
}

// The legend is the header's one coloured bar: its first pixel TURBO's first colour, its last TURBO's last.
TEST(ContactSheet, TheLegendSpansExactlyTheDepthRange)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "depth");
    cv::Mat depth(424, 512, CV_16UC1, cv::Scalar(30));
    depth.rowRange(0, 140).setTo(10);
    depth.rowRange(140, 280).setTo(20);
    ASSERT_TRUE(cv::imwrite(dir / "depth/depth-0000.png", depth));
    SeriesDescription series = kinectSeries();
    series.savedFrames = 1;
    const cv::Mat sheet = contactSheet(dir.path(), series);

    const int gridTop = sheet.rows - sheetLayout(1, series.width, series.height).tileHeight;
    const auto coloured = [&](int row, int column) {
        const cv::Vec3b pixel = sheet.at<cv::Vec3b>(row, column);
        return pixel[0] != pixel[1] || pixel[1] != pixel[2];
    };
    cv::Point left(0, 0);  // the header's first coloured pixel, the bar's top left one
    while (left.y < gridTop && !coloured(left.y, left.x)) {
        left = left.x + 1 < sheet.cols ? cv::Point(left.x + 1, left.y) : cv::Point(0, left.y + 1);
    }
    ASSERT_LT(left.y, gridTop);
    int right = left.x;
    while (right + 1 < sheet.cols && coloured(left.y, right + 1)) ++right;
    EXPECT_GT(right - left.x, 100);
    EXPECT_EQ(sheet.at<cv::Vec3b>(left), cv::Vec3b(59, 18, 48));
    EXPECT_EQ(sheet.at<cv::Vec3b>(left.y, right), cv::Vec3b(3, 4, 122));
}

// fx scales the columns and fy the rows: a camera whose two differ shows which is used where.
TEST(PointCloud, ColumnsGoThroughFxAndRowsThroughFy)
{
    cv::Mat depth(3, 4, CV_16UC1, cv::Scalar(0));
    depth.at<uint16_t>(2, 3) = 2000;
    const cv::Mat color(3, 4, CV_8UC3, cv::Scalar(30, 20, 10));

    const std::vector<ColoredPoint> points = backProject(depth, color, {100.0, 400.0, 1.0, 0.0});

    ASSERT_EQ(points.size(), 1u);
    EXPECT_FLOAT_EQ(points[0].x, 0.04f);  // (3 - 1) * 2 m / 100
    EXPECT_FLOAT_EQ(points[0].y, 0.01f);  // (2 - 0) * 2 m / 400
    EXPECT_FLOAT_EQ(points[0].z, 2.0f);
    EXPECT_EQ(std::vector<int>({points[0].red, points[0].green, points[0].blue}), std::vector<int>({10, 20, 30}));
    // Beyond the largest float at the farthest depth a file holds, 65.535 m (points checks fx on a real series).
    EXPECT_EQ(infinitePointsProblem({1, 3e-37, 1, 0}, 4, 3), "fy 3e-37 and cy 0 put points of a 4x3 image at infinity");
    EXPECT_EQ(infinitePointsProblem({1, 4e-37, 1, 0}, 4, 3), std::nullopt);
}

TEST(SeriesArguments, TheThreeCommandsAndUsageErrors)
{
    const auto check = parseSeriesArguments({"check", "out", "--json"});
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->json);
    const auto points = parseSeriesArguments({"points", "out", "0012", "p.ply"});
    ASSERT_TRUE(points);
    EXPECT_EQ(points->command, SeriesArguments::Command::Points);
    EXPECT_EQ(points->index, 12);
    EXPECT_EQ(points->output, "p.ply");
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{}, {"check"}, {"check", "out", "--JSON"}, {"sheet", "out"},
          {"points", "out", "-1", "p.ply"}, {"points", "out", "2147483648", "p.ply"}, {"show", "out", "x"}}) {
        EXPECT_FALSE(parseSeriesArguments(wrong)) << ::testing::PrintToString(wrong);
    }
}

TEST(TimingFile, ExactTextAbsentValuesAndLinesThatDoNotRead)
{
    SeriesTiming timing;
    timing.samplingStart = SamplingStart{1'733'600'000'000'000, 5'000'000'000};
    timing.frames.push_back({0, 7, 1'733'600'000'007'401, 5'000'007'400, 1,
                             {{16, 3'600'500'000, 1'733'600'000'006'000, 1'733'600'000'004'000, 156.0, 1.1},
                              {16, 3'600'499'000, std::nullopt, std::nullopt, 3000.0, std::nullopt}}});
    const std::string header =
        "index,timestampMs,hostWallClockUs,hostMonotonicUs,receivedSincePrevious,colorFrameNumber,"
        "colorDeviceTimestampUs,colorSystemTimestampUs,colorGlobalTimestampUs,colorExposure,colorGain,depthFrameNumber,"
        "depthDeviceTimestampUs,depthSystemTimestampUs,depthGlobalTimestampUs,depthExposure,depthGain,"
        "samplingStartWallClockUs,samplingStartMonotonicUs\n";
    const std::string line = "0,7,1733600000007401,5000007400,1,16,3600500000,1733600000006000,1733600000004000,156,1.1,"
                             "16,3600499000,,,3000,,1733600000000000,5000000000\n";
    EXPECT_EQ(timingCsvText(timing), header + line);
    EXPECT_EQ(timingCsvText(SeriesTiming{}), header);
    const TimingFile read = parseTimingCsv(header + line);
    EXPECT_EQ(read.problems, std::vector<std::string>{});
    EXPECT_EQ(timingCsvText(read.timing), header + line);

    const auto with = [&](const std::string& from, const std::string& to) {
        std::string changed = line;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    EXPECT_EQ(parseTimingCsv(header + line + "1,2,3\n" + with(",1733600000007401,", ",12a,") + with(",1,16,", ",1,,") +
                             with(",1,16,", ",1,-1,") + with(",5000000000\n", ",5000000001\n") + line.substr(0, 9))
                  .problems,
              (std::vector<std::string>{"line 3: has 3 fields, not 19",
                                        "line 4: hostWallClockUs \"12a\" is not a 64-bit integer",
                                        "line 5: colorFrameNumber is empty",
                                        "line 6: colorFrameNumber \"-1\" is not a whole number below 2^64",
                                        "line 7: the sampling start differs from the first frame's",
                                        "line 8: is cut short, without its line feed"}));
    EXPECT_EQ(parseTimingCsv(line).problems.front().rfind("line 1: is not the header line \"index,", 0), 0u);
}

// Each of the faults a timing file can have, put into a steady one, among those check names; the steady
// one has none.
TEST(TimingRules, MissingAndStrayRecordsMixedClocksWrongUnitsDriftsJumpsAndResets)
{
    const auto eachFrame = [](const std::function<void(FrameTiming&, int)>& change) {
        return [change](TimingFile& file) {
            for (size_t k = 0; k < file.timing.frames.size(); ++k) change(file.timing.frames[k], static_cast<int>(k));
        };
    };
    const auto bothStreams = [](FrameTiming& frame, const std::function<uint64_t(uint64_t)>& device) {
        frame.camera.color.deviceTimestampUs = device(frame.camera.color.deviceTimestampUs);
        frame.camera.depth.deviceTimestampUs = device(frame.camera.depth.deviceTimestampUs);
    };
    const struct {
        const char* fault;
        std::function<void(TimingFile&)> change;
        std::vector<std::string> named;
    } cases[] = {
        {"none", [](TimingFile&) {}, {}},
        {"a record missing", [](TimingFile& file) { file.timing.frames.pop_back(); file.frameLines.pop_back(); },
         {"holds 29 frames, not savedFrames 30"}},
        {"another frame's camera timing", [](TimingFile& file) { file.timing.frames[5].camera = file.timing.frames[4].camera; },
         {"line 7: colorFrameNumber 27 is not above the previous frame's 27",
          "line 7: colorDeviceTimestampUs 3600900000 is not above the previous frame's 3600900000 (was the camera's clock reset?)"}},
        {"the host's clock as the device's", eachFrame([](FrameTiming& f, int) { f.camera.color.deviceTimestampUs = f.hostMonotonicUs; }),
         {"line 2: colour and depth are 1399511.400 ms apart in device time"}},
        {"the wall clock as the monotonic one", eachFrame([](FrameTiming& f, int) { f.hostMonotonicUs = f.hostWallClockUs; }),
         {"line 2: timestampMs 7 is not hostMonotonicUs less the sampling start (1733595000007.401 ms)"}},
        {"0.125 ms counts as microseconds", eachFrame([&](FrameTiming& f, int) { bothStreams(f, [](uint64_t us) { return us / 125; }); }),
         {"the color device clock drifts -992000.0 ppm against the host's, beyond the 172413.8 ppm its arrival times allow",
          "the depth device clock drifts -992000.0 ppm against the host's, beyond the 172413.8 ppm its arrival times allow"}},
        {"a device clock 20 % fast", eachFrame([&](FrameTiming& f, int k) { bothStreams(f, [k](uint64_t us) { return us + 20'000ull * k; }); }),
         {"the color device clock drifts +200000.0 ppm against the host's, beyond the 172413.8 ppm its arrival times allow"}},
        {"a jump", eachFrame([&](FrameTiming& f, int k) { bothStreams(f, [k](uint64_t us) { return k < 15 ? us : us + 2'000'000; }); }),
         {"line 17: the color device clock moved 2100.000 ms while the host's moved 100.000 ms (a jump)",
          "line 17: the depth device clock moved 2100.000 ms while the host's moved 100.000 ms (a jump)"}},
        {"a reset", eachFrame([&](FrameTiming& f, int k) { bothStreams(f, [k](uint64_t us) { return k < 15 ? us : us - 3'600'000'000; }); }),
         {"line 17: colorDeviceTimestampUs 2000000 is not above the previous frame's 3601900000 (was the camera's clock reset?)"}},
        {"the wall clock set", eachFrame([](FrameTiming& f, int k) { f.hostWallClockUs += k < 20 ? 0 : 3'000'000; }),
         {"line 22: the wall clock moved 3000.001 ms against the monotonic clock since the sampling start (was it set "
          "during the run?)"}},
        {"kept too soon", [](TimingFile& file) { file.timing.frames[3].timestampMs -= 2; },
         {"line 5: timestampMs 305 is 98 ms after the previous frame's, sooner than a run at 10 per second keeps frames"}},
        {"more received than the run", [](TimingFile& file) { file.timing.frames[0].receivedSincePrevious = 5; },
         {"the frames received add up to 92, more than receivedFrames 89"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        TimingFile file = steadyTiming();
        c.change(file);
        const std::vector<std::string> problems = timingProblems(file, kinectSeries());
        EXPECT_EQ(problems.empty(), c.named.empty()) << ::testing::PrintToString(problems);
        for (const std::string& named : c.named) {
            EXPECT_NE(std::find(problems.begin(), problems.end(), named), problems.end())
                << named << "\n among " << ::testing::PrintToString(problems);
        }
    }
}

// Five frame numbers between the second and third kept frames, one of which arrived; a colour clock 1 % fast.
TEST(TimingReport, IntervalsOnEachClockDropsOffsetAndDrift)
{
    SeriesTiming timing;
    timing.samplingStart = SamplingStart{1'733'600'000'000'000, 4'900'000};
    const struct {
        uint64_t number;
        int64_t received, hostUs;
        uint64_t colorUs;
    } frames[] = {{10, 1, 5'000'000, 1'000'000}, {13, 3, 5'100'000, 1'101'000}, {20, 2, 5'340'000, 1'343'400}};
    for (const auto& f : frames) {
        const StreamTiming color{f.number, f.colorUs, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
        StreamTiming depth = color;
        depth.deviceTimestampUs -= 1000;
        timing.frames.push_back({static_cast<int32_t>(timing.frames.size()), 0, 0, f.hostUs, f.received, {color, depth}});
    }
    const std::string stream = " 3 frames, intervals median 171.700 ms, min 101.000 ms, max 242.400 ms, jitter 70.700 ms, "
                               "5 dropped, drift +10000.0 ppm (+-0.0)\n";
    EXPECT_EQ(timingReportText(timingReport(timing)),
              "sampling start: 2024-12-07T19:33:20.000000Z\n"
              "host: 3 frames, intervals median 170.000 ms, min 100.000 ms, max 240.000 ms, jitter 70.000 ms\n"
              "color:" + stream + "depth:" + stream +
              "dropped: color frame numbers 14 to 19 after index 1: 5 of 6\n"
              "dropped: depth frame numbers 14 to 19 after index 1: 5 of 6\n"
              "color-to-depth offset: median -1.000 ms, min -1.000 ms, max -1.000 ms\n");
}

// Four intervals: frames dropped in the second, a stall in the fourth.
TEST(IntervalStrip, AStallIsARedBarAndDroppedFramesAMarkUnderTheirInterval)
{
    TimingFile file = steadyTiming();
    file.timing.frames.resize(5);
    file.timing.frames[2].camera.color.frameNumber += 1;
    file.timing.frames[4].hostMonotonicUs += 150'000;
    cv::Mat strip(kIntervalStripHeight, kSheetWidth, CV_8UC3, cv::Scalar::all(32));
    drawIntervalStrip(strip, file, 100.0);

    const cv::Vec3b red(40, 40, 230);
    for (int bar = 0; bar < 4; ++bar) {
        const cv::Mat column = strip.col(300 + 1604 * (2 * bar + 1) / 8);
        int reds = 0;
        for (int row = 0; row < column.rows; ++row) reds += column.at<cv::Vec3b>(row) == red;
        EXPECT_EQ(reds > 0, bar == 1 || bar == 3) << bar;
        EXPECT_EQ(reds > 10, bar == 3) << bar;
    }
}
