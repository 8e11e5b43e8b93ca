// Colour JPEG files of a kept frame.
#pragma once

#include "CompleteFile.h"

#include <opencv2/core.hpp>

#include <string>

inline constexpr int kColorJpegQuality = 88;
inline constexpr int kColorFullJpegQuality = 92;

// An 8-bit BGR or BGRA image as a staged JPEG file with the given quality and
// no other encoder parameter; the fourth byte of BGRA is dropped, and the
// bytes are those of the same image converted to BGR first.
StagedFile stageColorJpeg(const cv::Mat& image, const std::string& path, int quality);
