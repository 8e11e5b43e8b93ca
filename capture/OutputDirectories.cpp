// The output directory of a test series.
#include "OutputDirectories.h"

#include "OutputDirectoryMessages.h"

#include <stdexcept>

void createOutputDirectories(const std::filesystem::path& outputDir)
{
    for (const char* name : kFrameFolders) {
        std::filesystem::create_directories(outputDir / name);
    }
}

SeriesWriteLock lockOutputDirectory(const std::filesystem::path& outputDir)
{
    std::optional<SeriesWriteLock> lock = lockSeriesForWriting(outputDir);
    if (!lock) {
        throw std::runtime_error(kOutputDirectoryBusyMessage);
    }
    return std::move(*lock);
}
