// The folders and earlier files of an output directory that is there, as a capture will meet them:
// each of the five folders a directory this user can write into, or not there yet; each earlier
// frame file, capture.json and timing.csv that a capture replaces a file it can replace.
#pragma once

#include "Finding.h"
#include "SeriesSpace.h"

#include <filesystem>
#include <string>

Findings seriesFolderFindings(const std::filesystem::path& outputDir, const SeriesToWrite& series,
                              const std::string& userName);
