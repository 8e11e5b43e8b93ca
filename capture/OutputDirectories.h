// The output directory of a test series: its sub-directories, and the lock that keeps a second
// capture out of it.
#pragma once

#include "FrameFiles.h"
#include "SeriesWriteLock.h"

#include <filesystem>

// Creates color, color-full, color-map, depth and depth-raw, in this order, with
// any missing parents. Throws std::filesystem::filesystem_error on failure.
void createOutputDirectories(const std::filesystem::path& outputDir);

// The lock on the output directory for this run; throws std::runtime_error with the capture's
// message when another capture writes into it.
SeriesWriteLock lockOutputDirectory(const std::filesystem::path& outputDir);
