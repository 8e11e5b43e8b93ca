// The rules a recorded series is checked against.
#include "CheckRules.h"

#include <cmath>
#include <cstring>
#include <sstream>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the binary frame files are read as they lie in memory");

namespace {

// capture.json prints the rates with 3 or 6 decimals; half a unit of the coarser is the rounding.
constexpr double kRateRounding = 0.0005 + 1e-9;

std::string rateProblem(const char* name, double written, int64_t frames, int64_t durationMs)
{
    const double expected = durationMs == 0 ? 0.0 : static_cast<double>(frames) * 1000.0 / durationMs;
    if (std::fabs(written - expected) <= kRateRounding) {
        return "";
    }
    std::ostringstream text;
    text << name << " " << written << " is not frames * 1000 / actualDurationMs (" << expected << ")";
    return text.str();
}

} // namespace

std::vector<std::string> counterProblems(const SeriesDescription& series)
{
    std::vector<std::string> problems;
    const int64_t sum = series.savedFrames + series.incompleteFrames + series.skippedFrames;
    if (series.receivedFrames != sum) {
        problems.push_back("receivedFrames " + std::to_string(series.receivedFrames) +
                           " is not savedFrames + incompleteFrames + skippedFrames (" + std::to_string(sum) + ")");
    }
    for (std::string problem : {rateProblem("receivedFps", series.receivedFps, series.receivedFrames,
                                            series.actualDurationMs),
                                rateProblem("savedFps", series.savedFps, series.savedFrames,
                                            series.actualDurationMs)}) {
        if (!problem.empty()) {
            problems.push_back(problem);
        }
    }
    return problems;
}

std::optional<std::string> depthMismatch(const cv::Mat& png, const std::vector<uint8_t>& raw)
{
    const size_t values = png.total();
    if (raw.size() != values * sizeof(uint16_t)) {
        return std::string("cannot be compared with its raw file, which has the wrong size");
    }
    size_t differing = 0;
    size_t first = 0;
    for (int row = 0; row < png.rows; ++row) {
        const uint16_t* pngRow = png.ptr<uint16_t>(row);
        for (int column = 0; column < png.cols; ++column) {
            const size_t index = static_cast<size_t>(row) * png.cols + column;
            uint16_t rawValue;
            std::memcpy(&rawValue, raw.data() + index * sizeof rawValue, sizeof rawValue);
            if (pngRow[column] != rawValue && differing++ == 0) {
                first = index;
            }
        }
    }
    if (differing == 0) {
        return std::nullopt;
    }
    uint16_t rawValue;
    std::memcpy(&rawValue, raw.data() + first * sizeof rawValue, sizeof rawValue);
    const int column = static_cast<int>(first % png.cols);
    const int row = static_cast<int>(first / png.cols);
    std::ostringstream text;
    text << "differs from its raw file in " << differing << (differing == 1 ? " value" : " values")
         << ", first at column " << column << ", row " << row << ": " << png.at<uint16_t>(row, column) << " against "
         << rawValue;
    return text.str();
}

std::optional<std::string> colorMapProblem(const std::vector<uint8_t>& map, int colorWidth, int colorHeight)
{
    const int64_t limit = static_cast<int64_t>(colorWidth) * colorHeight;
    size_t outside = 0;
    size_t first = 0;
    int32_t firstValue = 0;
    for (size_t i = 0; i + sizeof(int32_t) <= map.size(); i += sizeof(int32_t)) {
        int32_t entry;
        std::memcpy(&entry, map.data() + i, sizeof entry);
        if ((entry < 0 && entry != -1) || entry >= limit) {
            if (outside++ == 0) {
                first = i / sizeof entry;
                firstValue = entry;
            }
        }
    }
    if (outside == 0) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << outside << (outside == 1 ? " entry is" : " entries are") << " neither -1 nor inside the " << colorWidth
         << "x" << colorHeight << " colour image, first entry " << first << ": " << firstValue;
    return text.str();
}
