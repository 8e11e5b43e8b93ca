// The output directory as the capture program will meet it: there and writable, or creatable
// below the nearest folder that is there, its folders and earlier files as a capture writes and
// replaces them, with room for one whole series. The doctor never creates it; it only creates and
// removes a temporary file in each folder that is there.
#pragma once

#include "Finding.h"
#include "SeriesSpace.h"

#include <filesystem>
#include <string>

Findings outputDirectoryFindings(const std::filesystem::path& outputDir, const SeriesToWrite& series,
                                 const std::string& userName);
