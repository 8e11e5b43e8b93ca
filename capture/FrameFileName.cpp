// File names of a kept frame's files.
#include "FrameFileName.h"

#include <iomanip>
#include <sstream>

std::string frameFileName(const std::string& prefix, int32_t index, const std::string& extension)
{
    std::ostringstream name;
    name << prefix << '-' << std::setw(4) << std::setfill('0') << index << extension;
    return name.str();
}

std::string frameFilePath(const std::filesystem::path& outputDir, const char* subDirectory, const std::string& prefix,
                          int32_t index, const std::string& extension)
{
    return (outputDir / subDirectory / frameFileName(prefix, index, extension)).string();
}
