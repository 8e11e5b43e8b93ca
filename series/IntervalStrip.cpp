// The contact sheet's strip of the kept frames' timing.
#include "IntervalStrip.h"

#include "TimingReport.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kLabelWidth = 300;
constexpr int kMargin = 16;
constexpr int kMarkHeight = 8;
constexpr double kStallIntervals = 1.5;
const cv::Scalar kBar(230, 170, 80);
const cv::Scalar kRed(40, 40, 230);
const cv::Scalar kWhite(255, 255, 255);
constexpr int kFont = cv::FONT_HERSHEY_SIMPLEX;

void label(cv::Mat& strip, const std::string& text, int row)
{
    cv::putText(strip, text, {kMargin, row}, kFont, 0.5, kWhite, 1, cv::LINE_AA);
}

} // namespace

void drawIntervalStrip(cv::Mat strip, const std::optional<TimingFile>& timing, double sampleIntervalMs)
{
    if (!timing) {
        label(strip, "no timing file (a series of an earlier version): frame times unknown", strip.rows / 2);
        return;
    }
    const std::vector<FrameTiming>& frames = timing->timing.frames;
    std::vector<double> intervalsMs;
    for (size_t k = 1; k < frames.size(); ++k) {
        intervalsMs.push_back(static_cast<double>(frames[k].hostMonotonicUs - frames[k - 1].hostMonotonicUs) / 1000.0);
    }
    char text[96];
    std::snprintf(text, sizeof text, "line: %.0f ms; red: stall", sampleIntervalMs);
    label(strip, "kept-frame intervals", 22);
    label(strip, text, 44);
    label(strip, "red mark: frames dropped", 66);
    if (intervalsMs.empty()) return;

    const cv::Rect plot(kLabelWidth, 4, strip.cols - kLabelWidth - kMargin, strip.rows - 8 - kMarkHeight - 4);
    const double topMs = std::max(2 * sampleIntervalMs, *std::max_element(intervalsMs.begin(), intervalsMs.end()));
    const auto rowOf = [&](double ms) { return plot.y + plot.height - static_cast<int>(ms / topMs * plot.height); };
    const double barWidth = static_cast<double>(plot.width) / static_cast<double>(intervalsMs.size());
    const auto leftOf = [&](size_t interval) { return plot.x + static_cast<int>(static_cast<double>(interval) * barWidth); };
    std::vector<bool> dropped(intervalsMs.size(), false);
    for (const DropGap& gap : dropGaps(timing->timing)) dropped[gap.interval] = true;

    for (size_t i = 0; i < intervalsMs.size(); ++i) {
        const int left = leftOf(i);
        const int right = std::max(left, leftOf(i + 1) - 2);
        const bool stall = intervalsMs[i] > kStallIntervals * sampleIntervalMs;
        cv::rectangle(strip, cv::Point(left, rowOf(intervalsMs[i])), cv::Point(right, plot.y + plot.height),
                      stall ? kRed : kBar, cv::FILLED);
        if (dropped[i]) {
            const int markTop = plot.y + plot.height + 4;
            cv::rectangle(strip, cv::Point(left, markTop), cv::Point(right, markTop + kMarkHeight - 1), kRed, cv::FILLED);
        }
    }
    cv::line(strip, {plot.x, rowOf(sampleIntervalMs)}, {plot.x + plot.width - 1, rowOf(sampleIntervalMs)}, kWhite, 1);
}
