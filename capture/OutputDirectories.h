// The sub-directories of a test series' output directory.
#pragma once

#include <filesystem>

inline constexpr const char* kColorDir = "color";
inline constexpr const char* kColorFullDir = "color-full";
inline constexpr const char* kColorMapDir = "color-map";
inline constexpr const char* kDepthDir = "depth";
inline constexpr const char* kDepthRawDir = "depth-raw";

// Creates color, color-full, color-map, depth and depth-raw, in this order, with
// any missing parents. Throws std::filesystem::filesystem_error on failure.
void createOutputDirectories(const std::filesystem::path& outputDir);
