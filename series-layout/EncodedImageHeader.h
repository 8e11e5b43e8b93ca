// The size and pixel format a JPEG or PNG declares in its header, read without decoding it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct EncodedImageHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    int bitsPerChannel = 0;
};

// The JPEG's first frame header (SOF), as the decoder takes it; nothing when no SOF comes before
// the first scan or the end.
std::optional<EncodedImageHeader> jpegHeader(const std::vector<uint8_t>& bytes);

// The PNG's IHDR chunk; nothing when the file does not start with the signature and IHDR.
std::optional<EncodedImageHeader> pngHeader(const std::vector<uint8_t>& bytes);
