// What a frame file must be before it is decoded: its size, its closing marker, its image header.
// Each rule answers the problem found, or nothing.
#pragma once

#include "EncodedImageHeader.h"
#include "FrameFiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The exact size of a raw depth file or a colour-to-depth map.
uintmax_t binaryFileBytes(const FrameFileLayout& file);

// Far more than an encoder writes for such an image: twice its decoded pixels and 1 MiB.
uintmax_t mostImageFileBytes(bool png, int width, int height);

std::optional<std::string> byteSizeProblem(uintmax_t size, uintmax_t expected);

// An image file larger than mostBytes, refused before it is read.
std::optional<std::string> imageFileSizeProblem(uintmax_t size, uintmax_t mostBytes, int width, int height);

// An encoded JPEG or PNG cut short: it lacks the format's closing marker.
std::optional<std::string> truncationProblem(const std::vector<uint8_t>& bytes, bool png);

// An image whose header declares another size or pixel type than width x height of 8-bit 3-channel
// colour (JPEG) or 16-bit greyscale (PNG), or a JPEG that is not sequential, refused before decoding;
// no header: undecodable.
std::optional<std::string> headerProblem(const std::optional<EncodedImageHeader>& header, int width, int height,
                                         bool png);

// A PNG of width x height 16-bit greyscale whose compressed data inflate to far more than such an image
// holds (twice its rows with their filter bytes): the decoder would inflate all of it, and a few MB can
// hold GB. Data that do not inflate are left to the decoder.
std::optional<std::string> pngDataProblem(const std::vector<uint8_t>& png, int width, int height);

// How a size is written in the problems: 1280x720.
std::string sizeText(uintmax_t width, uintmax_t height);

// The problem of a decoded image that is not of the pixel type its file should hold.
std::string pixelTypeProblem(bool png);
