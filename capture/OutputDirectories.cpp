// The sub-directories of a test series' output directory.
#include "OutputDirectories.h"

void createOutputDirectories(const std::filesystem::path& outputDir)
{
    for (const char* name : {kColorDir, kColorFullDir, kColorMapDir, kDepthDir, kDepthRawDir}) {
        std::filesystem::create_directories(outputDir / name);
    }
}
