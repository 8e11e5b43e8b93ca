// Colour JPEG files of a kept frame.
#pragma once

#include <opencv2/core.hpp>

#include <string>

inline constexpr int kColorJpegQuality = 88;
inline constexpr int kColorFullJpegQuality = 92;

// Writes an 8-bit BGR image with the given quality and no other encoder
// parameter, as a complete file; false when it cannot be encoded or written.
bool writeJpeg(const cv::Mat& bgrImage, const std::string& path, int quality);

// As writeJpeg, but throws "Farbbild konnte nicht gespeichert werden: <path>".
void writeColorJpeg(const cv::Mat& bgrImage, const std::string& path, int quality);
