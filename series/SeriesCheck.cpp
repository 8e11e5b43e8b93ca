// Reads every file of a series, in parallel over frames, and applies the check rules to it.
#include "SeriesCheck.h"

#include "CheckRules.h"
#include "FileBytes.h"
#include "FrameImage.h"
#include "FrameFileName.h"
#include "OutputDirectories.h"
#include "ParallelFor.h"
#include "SeriesFiles.h"

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

std::vector<Finding> checkFrame(const std::string& dir, const SeriesDescription& series, int32_t index)
{
    FrameCheck check;
    cv::Mat depth;
    std::optional<std::vector<uint8_t>> raw;
    std::string depthPath;
    for (const FrameFileSpec& spec : frameFilesOf(series)) {
        const std::string path = frameFilePath(dir, spec.subDirectory, spec.prefix, index, spec.extension);
        if (spec.kind == FrameFileKind::ColorJpeg || spec.kind == FrameFileKind::DepthPng) {
            const bool png = spec.kind == FrameFileKind::DepthPng;
            FrameImage image = readFrameImage(path, png, spec.width, spec.height);
            check.add(path, image.problem);
            if (png) {
                depth = image.image;
                depthPath = path;
            }
            continue;
        }
        std::optional<std::vector<uint8_t>> bytes = readBinaryFile(path);
        if (!bytes) {
            check.add(path, unreadableFileProblem(path));
            continue;
        }
        const uintmax_t pixels = static_cast<uintmax_t>(spec.width) * spec.height;
        if (spec.kind == FrameFileKind::DepthRaw) {
            const auto problem = byteSizeProblem(bytes->size(), pixels * sizeof(uint16_t));
            check.add(path, problem);
            if (!problem) raw = std::move(bytes);
        } else {
            const auto problem = byteSizeProblem(bytes->size(), pixels * sizeof(int32_t));
            check.add(path, problem ? problem : colorMapProblem(*bytes, series.fullColorWidth, series.fullColorHeight));
        }
    }
    if (!depth.empty() && raw) {
        check.add(depthPath, depthMismatch(depth, *raw));
    }
    return check.faults;
}

void addLeftovers(std::vector<Finding>& leftovers, const std::string& dir, const SeriesDescription& series)
{
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        if (name[0] == '.') {
            leftovers.push_back({(fs::path(dir) / name).string(), "temporary file of an interrupted write"});
        }
    }
    for (const char* subDirectory : {kColorDir, kColorFullDir, kColorMapDir, kDepthDir, kDepthRawDir}) {
        const fs::path folder = fs::path(dir) / subDirectory;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (const auto reason = leftoverReason(series, subDirectory, name)) {
                leftovers.push_back({(folder / name).string(), *reason});
            }
        }
    }
    std::sort(leftovers.begin(), leftovers.end(),
              [](const Finding& a, const Finding& b) { return a.file < b.file; });
}

} // namespace

CheckReport checkSeries(const std::string& dir, const SeriesDescription& series)
{
    CheckReport report;
    report.frames = series.savedFrames;
    const std::string metadataPath = (fs::path(dir) / "capture.json").string();
    for (const std::string& problem : counterProblems(series)) {
        report.faults.push_back({metadataPath, problem});
    }
    std::vector<std::vector<Finding>> frameFaults(static_cast<size_t>(series.savedFrames));
    parallelFor(frameFaults.size(), [&](size_t index) {
        frameFaults[index] = checkFrame(dir, series, static_cast<int32_t>(index));
    });
    for (const std::vector<Finding>& faults : frameFaults) {
        report.faults.insert(report.faults.end(), faults.begin(), faults.end());
    }
    addLeftovers(report.leftovers, dir, series);
    return report;
}
