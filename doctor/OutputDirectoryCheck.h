// The output directory as the capture program will meet it: there and writable, or creatable
// below the nearest folder that is there, with room for one whole series. The doctor never
// creates it; it only creates and removes one temporary file.
#pragma once

#include "Finding.h"

#include <cstdint>
#include <filesystem>
#include <string>

Findings outputDirectoryFindings(const std::filesystem::path& outputDir, int64_t seriesBytes,
                                 const std::string& seriesDescription, const std::string& userName);
