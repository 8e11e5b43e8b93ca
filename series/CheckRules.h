// The rules a recorded series is checked against, on data already read: each answers the
// problem found, or nothing.
#pragma once

#include "SeriesDescription.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The counters and rates of capture.json that do not add up.
std::vector<std::string> counterProblems(const SeriesDescription& series);

// The depth PNG's values against the raw file's width x height little-endian values.
std::optional<std::string> depthMismatch(const cv::Mat& png, const std::vector<uint8_t>& raw);

// Every entry of a colour-to-depth map must be -1 or an index into the full colour image.
std::optional<std::string> colorMapProblem(const std::vector<uint8_t>& map, int colorWidth, int colorHeight);
