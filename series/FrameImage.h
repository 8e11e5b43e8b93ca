// A frame's JPEG or PNG read from disk, with what is wrong with it.
#pragma once

#include <opencv2/core.hpp>

#include <cstdint>
#include <optional>
#include <string>

struct FrameImage {
    cv::Mat image;                        // empty when there is a problem
    std::optional<std::string> problem;   // "is missing", "is cut short: ...", "decodes to ...", ...
};

// Reads the file when it is a regular file no larger than twice the decoded pixels and 1 MiB (far
// more than an encoder writes), refuses one cut short or whose header declares another size or
// pixel type, then decodes it, and expects width x height of 8-bit 3-channel colour (JPEG) or
// 16-bit greyscale (PNG).
FrameImage readFrameImage(const std::string& path, bool png, int width, int height);

// The most memory readFrameImage takes at once for such an image: the file and the decoded pixels.
uintmax_t frameImageReadBytes(bool png, int width, int height);
