// A frame's JPEG or PNG decoded, with what is wrong with it.
#pragma once

#include "FileBytes.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <optional>
#include <string>

struct FrameImage {
    cv::Mat image;                        // empty when there is a problem
    std::optional<std::string> problem;   // "is missing", "is cut short: ...", "decodes to ...", ...
};

// Decodes a file that readFrameFile accepted (one it refused keeps its problem), and expects width x height
// of 8-bit 3-channel colour (JPEG) or 16-bit greyscale (PNG).
FrameImage decodeFrameImage(const FileBytes& file, bool png, int width, int height);

// readFrameFile, then decodeFrameImage.
FrameImage readFrameImage(const std::string& path, bool png, int width, int height);

// The most memory readFrameImage takes at once for such an image: the file and the decoded pixels.
uintmax_t frameImageReadBytes(bool png, int width, int height);

// A decoded image of the wrong size or pixel type (CV_8UC3 colour, CV_16UC1 depth); empty: undecodable.
std::optional<std::string> imageProblem(const cv::Mat& image, int width, int height, int type);
