// The sub-directories of a test series' output directory.
#pragma once

#include "FrameFiles.h"

#include <filesystem>

// Creates color, color-full, color-map, depth and depth-raw, in this order, with
// any missing parents. Throws std::filesystem::filesystem_error on failure.
void createOutputDirectories(const std::filesystem::path& outputDir);
