// The rules a recorded series is checked against, on data already read: each answers the
// problem found, or nothing.
#pragma once

#include "EncodedImageHeader.h"
#include "SeriesDescription.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The counters and rates of capture.json that do not add up.
std::vector<std::string> counterProblems(const SeriesDescription& series);

std::optional<std::string> byteSizeProblem(uintmax_t size, uintmax_t expected);

// An image file larger than mostBytes, refused before it is read.
std::optional<std::string> imageFileSizeProblem(uintmax_t size, uintmax_t mostBytes, int width, int height);

// An encoded JPEG or PNG cut short: it lacks the format's closing marker.
std::optional<std::string> truncationProblem(const std::vector<uint8_t>& bytes, bool png);

// An image whose header declares another size or pixel type than width x height of CV_8UC3 colour
// or CV_16UC1 depth, refused before decoding; no header: undecodable.
std::optional<std::string> headerProblem(const std::optional<EncodedImageHeader>& header, int width, int height,
                                         int type);

// A decoded image of the wrong size or pixel type (CV_8UC3 colour, CV_16UC1 depth); empty: undecodable.
std::optional<std::string> imageProblem(const cv::Mat& image, int width, int height, int type);

// The depth PNG's values against the raw file's width x height little-endian values.
std::optional<std::string> depthMismatch(const cv::Mat& png, const std::vector<uint8_t>& raw);

// Every entry of a colour-to-depth map must be -1 or an index into the full colour image.
std::optional<std::string> colorMapProblem(const std::vector<uint8_t>& map, int colorWidth, int colorHeight);
