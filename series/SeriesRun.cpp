// One run of kestrum-series: check, sheet, points or timing.
#include "SeriesRun.h"

#include "ContactSheet.h"
#include "FrameFiles.h"
#include "FrameImage.h"
#include "ImageFile.h"
#include "LineWriter.h"
#include "PointCloud.h"
#include "RunLimits.h"
#include "SeriesArguments.h"
#include "SeriesCheck.h"
#include "SeriesTiming.h"
#include "SeriesWriteLock.h"
#include "TimingReport.h"

#include <opencv2/imgcodecs.hpp>

#include <filesystem>
#include <ostream>

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// One line, whatever the names in it hold.
void message(std::ostream& err, const std::string& text)
{
    err << "kestrum-series: " << kestrum::withControlsEscaped(text) << "\n";
}

std::string captureJsonPath(const std::string& dir)
{
    return (std::filesystem::path(dir) / "capture.json").string();
}

int runCheck(const SeriesArguments& args, const SeriesDescription& series, const StandardOutputWriter& writeOutput,
             std::ostream& err)
{
    const CheckReport report = checkSeries(args.dir, series);
    if (!writeOutput(args.json ? checkReportJson(report) : checkReportText(report))) {
        // A report that did not arrive must not pass for a whole series.
        message(err, "standard output cannot be written");
        return kFailed;
    }
    return report.whole() ? 0 : kFailed;
}

int runTiming(const SeriesArguments& args, const StandardOutputWriter& writeOutput, std::ostream& err)
{
    const std::string path = (std::filesystem::path(args.dir) / kTimingFileName).string();
    const std::optional<TimingFile> timing = readTimingFile(args.dir);
    if (!timing) {
        message(err, path + " is missing, as in a series of an earlier version");
        return kFailed;
    }
    if (!timing->problems.empty()) {
        message(err, path + ": " + timing->problems.front());
        return kFailed;
    }
    const TimingReport report = timingReport(timing->timing);
    if (!writeOutput(args.json ? timingReportJson(report) : timingReportText(report))) {
        message(err, "standard output cannot be written");
        return kFailed;
    }
    return 0;
}

int runSheet(const SeriesArguments& args, const SeriesDescription& series, std::ostream& err)
{
    if (series.savedFrames == 0) {
        message(err, "the series has no saved frames");
        return kFailed;
    }
    const cv::Mat sheet = contactSheet(args.dir, series);
    bool written = false;
    try {
        // Flat areas and few colours: the strongest compression costs little time and halves the file.
        written = writeImageFile(args.output, sheet, {cv::IMWRITE_PNG_COMPRESSION, 9});
    } catch (const cv::Exception& error) {
        message(err, error.what());
    }
    if (!written) {
        message(err, args.output + " cannot be written");
        return kFailed;
    }
    return 0;
}

int runPoints(const SeriesArguments& args, const SeriesDescription& series, std::ostream& err)
{
    if (const std::optional<std::string> problem = infinitePointsProblem(series.intrinsics, series.width, series.height)) {
        message(err, captureJsonPath(args.dir) + ": " + *problem);
        return kUsageError;
    }
    if (args.index >= series.savedFrames) {
        message(err, "frame " + std::to_string(args.index) + " is not in the series, which has " +
                         std::to_string(series.savedFrames) + " saved frames");
        return kFailed;
    }
    const std::string depthPath = frameFilePath(args.dir, kDepthFile, args.index);
    const std::string colorPath = frameFilePath(args.dir, kColorFile, args.index);
    const FrameImage depth = readFrameImage(depthPath, true, series.width, series.height);
    const FrameImage color = readFrameImage(colorPath, false, series.width, series.height);
    for (const auto& [path, frame] : {std::pair{&depthPath, &depth}, std::pair{&colorPath, &color}}) {
        if (frame->problem) {
            message(err, *path + " " + *frame->problem);
            return kFailed;
        }
    }
    const std::string ply = plyFile(backProject(depth.image, color.image, series.intrinsics));
    if (writeCompleteFile(args.output, ply.data(), ply.size()) != CompleteFileResult::Written) {
        message(err, args.output + " cannot be written");
        return kFailed;
    }
    return 0;
}

} // namespace

int runSeries(const std::vector<std::string>& argv, const StandardOutputWriter& writeOutput, std::ostream& err)
{
    const std::optional<SeriesArguments> args = parseSeriesArguments(argv);
    if (!args) {
        err << kSeriesUsage;
        return kUsageError;
    }
    // Its frames, and capture.json, change under a capture: that series is judged when it is done.
    if (seriesWriting(args->dir) == SeriesWriting::ByCapture) {
        message(err, args->dir + " is being written by kestrum-capture; try again when the capture has ended");
        return kUsageError;
    }
    SeriesDescription series;
    try {
        series = readCaptureJson(args->dir);
    } catch (const SeriesDescriptionError& error) {
        message(err, error.what());
        return kUsageError;
    }
    if (args->command == SeriesArguments::Command::Check) {
        return runCheck(*args, series, writeOutput, err);
    }
    if (args->command == SeriesArguments::Command::Timing) {
        return runTiming(*args, writeOutput, err);
    }
    // The frames drawn or projected are read at the sizes capture.json gives, which only a run of the
    // capture program keeps within a camera's; check names the problem among the frames' own.
    if (const std::optional<std::string> problem = impossibleRunProblem(series)) {
        message(err, captureJsonPath(args->dir) + ": " + *problem);
        return kUsageError;
    }
    return args->command == SeriesArguments::Command::Sheet ? runSheet(*args, series, err)
                                                             : runPoints(*args, series, err);
}
