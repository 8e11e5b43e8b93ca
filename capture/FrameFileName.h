// File names of a kept frame's files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// prefix-NNNN.extension, the index padded with zeros to at least four digits
// (frameFileName("color", 7, ".jpg") is "color-0007.jpg"; 12345 stays 12345).
std::string frameFileName(const std::string& prefix, int32_t index, const std::string& extension);

// outputDir / subDirectory / frameFileName(...), as the string the file is
// opened with and the event line reports (no doubled "/" after "out/").
std::string frameFilePath(const std::filesystem::path& outputDir, const char* subDirectory, const std::string& prefix,
                          int32_t index, const std::string& extension);
