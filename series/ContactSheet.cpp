// Draws the contact sheet of a series: frames read on all cores and scaled down at once, depth coloured
// over one range.
#include "ContactSheet.h"

#include "DepthColoring.h"
#include "FrameFiles.h"
#include "FrameImage.h"
#include "IntervalStrip.h"
#include "ParallelFor.h"
#include "SheetLayout.h"

#include <opencv2/imgproc.hpp>

#include <mutex>

namespace {

constexpr int kHeaderHeight = 100;
constexpr int kMargin = 16;
constexpr int kLegendWidth = 640;
constexpr int kLegendTicks = 5;
const cv::Scalar kBackground(32, 32, 32);
const cv::Scalar kMissingGrey(80, 80, 80);
const cv::Scalar kWhite(255, 255, 255);
constexpr int kFont = cv::FONT_HERSHEY_SIMPLEX;

// A frame's images scaled to their halves of a tile.
struct FrameImages {
    cv::Mat color;   // CV_8UC3, or empty
    cv::Mat depth;   // CV_16UC1 millimetres, or empty
};

// The depth of all frames shown, added to by the threads that read them.
struct SharedHistogram {
    DepthHistogram counts = emptyDepthHistogram();
    std::mutex mutex;
    void add(const cv::Mat& depthMm)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        addToHistogram(counts, depthMm);
    }
};

// Scaled as soon as it is read, so that a frame is held at full size only while it is read.
FrameImages readFrame(const std::string& dir, const SeriesDescription& series, int32_t index, cv::Size imageArea,
                      SharedHistogram& histogram)
{
    FrameImages scaled;
    const cv::Mat color = readFrameImage(frameFilePath(dir, kColorFile, index), false, series.width, series.height).image;
    if (!color.empty()) {
        cv::resize(color, scaled.color, imageArea, 0, 0, cv::INTER_AREA);
    }
    const cv::Mat depth = readFrameImage(frameFilePath(dir, kDepthFile, index), true, series.width, series.height).image;
    if (!depth.empty()) {
        histogram.add(depth);
        cv::resize(depth, scaled.depth, imageArea, 0, 0, cv::INTER_NEAREST);
    }
    return scaled;
}

std::string headerLine(const SeriesDescription& series)
{
    return series.device + " " + series.serial + " | requested " + std::to_string(series.requestedDurationMs) +
           " ms, actual " + std::to_string(series.actualDurationMs) + " ms | " +
           std::to_string(series.savedFrames) + " frames saved, " + std::to_string(series.receivedFrames) +
           " received";
}

void drawLegend(cv::Mat& sheet, DepthRange range)
{
    const cv::Rect bar(kMargin, 52, kLegendWidth, 16);
    for (int x = 0; x < bar.width; ++x) {
        const int depthMm = range.lowMm + (range.highMm - range.lowMm) * x / (bar.width - 1);
        const cv::Vec3b color = depthColor(depthMm, range);
        cv::line(sheet, {bar.x + x, bar.y}, {bar.x + x, bar.y + bar.height - 1}, cv::Scalar(color[0], color[1], color[2]));
    }
    for (int tick = 0; tick < kLegendTicks; ++tick) {
        const int x = bar.x + (bar.width - 1) * tick / (kLegendTicks - 1);
        const std::string label =
            std::to_string(range.lowMm + (range.highMm - range.lowMm) * tick / (kLegendTicks - 1)) + " mm";
        int baseline = 0;
        const cv::Size size = cv::getTextSize(label, kFont, 0.5, 1, &baseline);
        const int left = std::clamp(x - size.width / 2, 0, sheet.cols - size.width);
        cv::line(sheet, {x, bar.y + bar.height}, {x, bar.y + bar.height + 4}, kWhite);
        cv::putText(sheet, label, {left, bar.y + bar.height + 8 + size.height}, kFont, 0.5, kWhite, 1, cv::LINE_AA);
    }
    cv::putText(sheet, "depth, invalid black", {bar.x + bar.width + 24, bar.y + bar.height - 2}, kFont, 0.5, kWhite, 1,
                cv::LINE_AA);
}

// Copies the image of the area's size into it, or marks the area when there is none.
void drawImage(cv::Mat area, const cv::Mat& image)
{
    if (image.empty()) {
        area.setTo(kMissingGrey);
        cv::putText(area, "missing", {8, area.rows / 2}, kFont, 0.6, kWhite, 1, cv::LINE_AA);
        return;
    }
    image.copyTo(area);
}

void drawTile(cv::Mat tile, const FrameImages& frame, int32_t index, DepthRange range)
{
    const int half = tile.cols / 2;
    drawImage(tile(cv::Rect(0, 0, half, tile.rows)), frame.color);
    const cv::Mat depth = frame.depth.empty() ? cv::Mat() : coloredDepth(frame.depth, range);
    drawImage(tile(cv::Rect(half, 0, half, tile.rows)), depth);
    // A gap of background between neighbouring tiles and between a tile's two images.
    cv::rectangle(tile, cv::Rect(0, 0, tile.cols, tile.rows), kBackground, 4);
    cv::line(tile, {half, 0}, {half, tile.rows - 1}, kBackground, 1);
    const std::string label = std::to_string(index);
    int baseline = 0;
    const cv::Size size = cv::getTextSize(label, kFont, 0.55, 1, &baseline);
    cv::rectangle(tile, cv::Rect(2, 2, size.width + 8, size.height + 8), cv::Scalar::all(0), cv::FILLED);
    cv::putText(tile, label, {6, size.height + 6}, kFont, 0.55, kWhite, 1, cv::LINE_AA);
}

} // namespace

cv::Mat contactSheet(const std::string& dir, const SeriesDescription& series)
{
    const std::vector<int32_t> indices = sheetFrames(series.savedFrames);
    const SheetLayout layout = sheetLayout(static_cast<int>(indices.size()), series.width, series.height);
    const cv::Size imageArea(layout.tileWidth / 2, layout.tileHeight);
    std::vector<FrameImages> frames(indices.size());
    SharedHistogram histogram;
    const uintmax_t frameBytes = frameImageReadBytes(false, series.width, series.height) +
                                 frameImageReadBytes(true, series.width, series.height);
    parallelFor(frames.size(), frameBytes,
                [&](size_t i) { frames[i] = readFrame(dir, series, indices[i], imageArea, histogram); });
    const DepthRange range = percentileRange(histogram.counts);

    const int tilesTop = kHeaderHeight + kIntervalStripHeight;
    cv::Mat sheet(tilesTop + layout.rows * layout.tileHeight, kSheetWidth, CV_8UC3, kBackground);
    cv::putText(sheet, headerLine(series), {kMargin, 34}, kFont, 0.8, kWhite, 1, cv::LINE_AA);
    drawLegend(sheet, range);
    drawIntervalStrip(sheet(cv::Rect(0, kHeaderHeight, kSheetWidth, kIntervalStripHeight)), readTimingFile(dir),
                      1000.0 / static_cast<double>(series.requestedSampleFps));
    for (size_t i = 0; i < frames.size(); ++i) {
        const int column = static_cast<int>(i) % layout.columns;
        const int row = static_cast<int>(i) / layout.columns;
        const cv::Rect place(column * layout.tileWidth, tilesTop + row * layout.tileHeight, layout.tileWidth,
                             layout.tileHeight);
        drawTile(sheet(place), frames[i], indices[i], range);
    }
    return sheet;
}
