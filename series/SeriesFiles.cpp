// The classification of entries in a series' folders that are no files of its frames.
#include "SeriesFiles.h"

#include "FrameFileName.h"
#include "FrameFiles.h"

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
        if (!cameraWrites(series.camera, file)) {
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
