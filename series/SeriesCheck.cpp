// Reads every file of a series, in parallel over frames, and applies the check rules to it.
#include "SeriesCheck.h"

#include "CheckRules.h"
#include "FrameFileBytes.h"
#include "FrameFileRules.h"
#include "FrameImage.h"
#include "ParallelFor.h"
#include "RunLimits.h"
#include "SeriesFiles.h"
#include "SeriesTiming.h"
#include "TimingRules.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct FrameCheck {
    std::vector<Finding> faults;
    void add(const std::string& file, const std::optional<std::string>& problem)
    {
        if (problem) {
            faults.push_back({file, *problem});
        }
    }
};

bool isImage(const FrameFileLayout& file)
{
    return file.kind == FrameFileKind::ColorJpeg || file.kind == FrameFileKind::DepthPng;
}

std::vector<Finding> checkFrame(const std::string& dir, const SeriesDescription& series, int32_t index)
{
    FrameCheck check;
    cv::Mat depth;
    std::vector<uint8_t> raw;
    std::string depthPath;
    for (const FrameFileLayout& file : frameFilesOf(series)) {
        const std::string path = frameFilePath(dir, file, index);
        if (isImage(file)) {
            const bool png = file.kind == FrameFileKind::DepthPng;
            FrameImage image = decodeFrameImage(readFrameFile(path, file), png, file.width, file.height);
            check.add(path, image.problem);
            if (png) {
                depth = image.image;
                depthPath = path;
            }
            continue;
        }
        FileBytes read = readFrameFile(path, file);
        if (!read.problem && file.kind == FrameFileKind::ColorMap) {
            read.problem = colorMapProblem(read.bytes, series.fullColorWidth, series.fullColorHeight);
        }
        check.add(path, read.problem);
        if (!read.problem && file.kind == FrameFileKind::DepthRaw) {
            raw = std::move(read.bytes);
        }
    }
    if (!depth.empty() && !raw.empty()) {
        check.add(depthPath, depthMismatch(depth, raw));
    }
    return check.faults;
}

// Every entry of a folder; none when it cannot be listed, and the ones before an error when listing fails.
std::vector<std::string> entryNames(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        names.push_back(entry->path().filename().string());
    }
    return names;
}

void addLeftovers(std::vector<Finding>& leftovers, const std::string& dir, const SeriesDescription& series)
{
    for (const std::string& name : entryNames(dir)) {
        if (name[0] == '.') {
            leftovers.push_back({(fs::path(dir) / name).string(), "temporary file of an interrupted write"});
        }
    }
    for (const char* subDirectory : kFrameFolders) {
        const fs::path folder = fs::path(dir) / subDirectory;
        for (const std::string& name : entryNames(folder)) {
            if (const auto reason = leftoverReason(series, subDirectory, name)) {
                leftovers.push_back({(folder / name).string(), *reason});
            }
        }
    }
    std::sort(leftovers.begin(), leftovers.end(),
              [](const Finding& a, const Finding& b) { return a.file < b.file; });
}

} // namespace

uintmax_t frameCheckBytes(const SeriesDescription& series)
{
    uintmax_t bytes = 0;
    for (const FrameFileLayout& file : frameFilesOf(series)) {
        bytes += isImage(file) ? frameImageReadBytes(file.kind == FrameFileKind::DepthPng, file.width, file.height)
                               : binaryFileBytes(file);
    }
    return bytes;
}

CheckReport checkSeries(const std::string& dir, const SeriesDescription& series)
{
    CheckReport report;
    report.frames = series.savedFrames;
    const std::string metadataPath = (fs::path(dir) / "capture.json").string();
    if (const std::optional<std::string> problem = impossibleRunProblem(series)) {
        report.faults.push_back({metadataPath, *problem});
    }
    for (const std::string& problem : counterProblems(series)) {
        report.faults.push_back({metadataPath, problem});
    }
    const std::string timingPath = (fs::path(dir) / kTimingFileName).string();
    if (const std::optional<TimingFile> timing = readTimingFile(dir)) {
        for (const std::string& problem : timingProblems(*timing, series)) {
            report.faults.push_back({timingPath, problem});
        }
    } else {
        report.notes.push_back({timingPath, "is missing, as in a series of an earlier version: its frames' times are not known"});
    }
    std::vector<std::vector<Finding>> frameFaults(static_cast<size_t>(framesToCheck(series)));
    parallelFor(frameFaults.size(), frameCheckBytes(series), [&](size_t index) {
        frameFaults[index] = checkFrame(dir, series, static_cast<int32_t>(index));
    });
    for (const std::vector<Finding>& faults : frameFaults) {
        report.faults.insert(report.faults.end(), faults.begin(), faults.end());
    }
    addLeftovers(report.leftovers, dir, series);
    return report;
}
