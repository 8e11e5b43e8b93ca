// The sub-directories of a test series' output directory.
#include "OutputDirectories.h"

void createOutputDirectories(const std::filesystem::path& outputDir)
{
    for (const char* name : kFrameFolders) {
        std::filesystem::create_directories(outputDir / name);
    }
}
