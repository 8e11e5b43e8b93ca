// A frame's JPEG or PNG read from disk, with what is wrong with it.
#pragma once

#include <opencv2/core.hpp>

#include <optional>
#include <string>

struct FrameImage {
    cv::Mat image;                        // empty when there is a problem
    std::optional<std::string> problem;   // "is missing", "is cut short: ...", "decodes to ...", ...
};

// Reads the whole file, refuses one cut short, decodes it, and expects width x height of
// 8-bit 3-channel colour (JPEG) or 16-bit greyscale (PNG).
FrameImage readFrameImage(const std::string& path, bool png, int width, int height);
