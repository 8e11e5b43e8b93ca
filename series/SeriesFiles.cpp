// The file layout of a test series: frame files per camera and the classification of other entries.
#include "SeriesFiles.h"

#include "OutputDirectories.h"

#include <algorithm>
#include <cctype>

namespace {

// The files of all five folders, also those this camera does not write.
std::vector<FrameFileLayout> filesOfAllFolders(const SeriesDescription& series)
{
    const int w = series.width;
    const int h = series.height;
    return {
        {kColorDir, "color", ".jpg", FrameFileKind::ColorJpeg, w, h},
        {kColorFullDir, "color-full", ".jpg", FrameFileKind::ColorJpeg, series.fullColorWidth, series.fullColorHeight},
        {kColorMapDir, "color-map", ".bin", FrameFileKind::ColorMap, w, h},
        {kDepthDir, "depth", ".png", FrameFileKind::DepthPng, w, h},
        {kDepthRawDir, "depth", ".bin", FrameFileKind::DepthRaw, w, h},
    };
}

bool writtenBy(const SeriesDescription& series, const FrameFileLayout& file)
{
    return series.camera == SeriesCamera::KinectV2 || file.kind != FrameFileKind::ColorMap;
}

} // namespace

std::vector<FrameFileLayout> frameFilesOf(const SeriesDescription& series)
{
    std::vector<FrameFileLayout> files;
    for (const FrameFileLayout& file : filesOfAllFolders(series)) {
        if (writtenBy(series, file)) files.push_back(file);
    }
    return files;
}

std::optional<int32_t> frameIndexOf(const std::string& name, const std::string& prefix, const std::string& extension)
{
    const std::string head = prefix + "-";
    if (name.size() <= head.size() + extension.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
        return std::nullopt;
    }
    const std::string digits = name.substr(head.size(), name.size() - head.size() - extension.size());
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
    const bool padded = digits.size() == 4 || (digits.size() > 4 && digits.size() <= 10 && digits[0] != '0');
    if (!allDigits || !padded) {
        return std::nullopt;
    }
    const long long index = std::stoll(digits);
    if (index > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(index);
}

std::optional<std::string> leftoverReason(const SeriesDescription& series, const std::string& subDirectory,
                                          const std::string& name)
{
    if (!name.empty() && name[0] == '.') {
        return "temporary file of an interrupted write";
    }
    for (const FrameFileLayout& file : filesOfAllFolders(series)) {
        const std::optional<int32_t> index = frameIndexOf(name, file.prefix, file.extension);
        if (subDirectory != file.subDirectory || !index) {
            continue;
        }
        if (!writtenBy(series, file)) {
            return "not written by the " + series.device + " (a file of an earlier run)";
        }
        if (*index >= series.savedFrames) {
            return "frame " + std::to_string(*index) + " is beyond savedFrames " +
                   std::to_string(series.savedFrames) + " (a file of an earlier, longer run)";
        }
        return std::nullopt;
    }
    return std::string("not a file of a test series");
}
