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
    // JPEG: sequential with Huffman coding (SOF0, SOF1), decoded in one pass over the data; a progressive
    // JPEG can make the decoder pass over the whole image once for each of its many tiny scans.
    bool sequential = true;
};

// The JPEG's first frame header (SOF), as the decoder takes it; nothing when no SOF comes before
// the first scan or the end.
std::optional<EncodedImageHeader> jpegHeader(const std::vector<uint8_t>& bytes);

// The PNG's IHDR chunk; nothing when the file does not start with the signature and IHDR.
std::optional<EncodedImageHeader> pngHeader(const std::vector<uint8_t>& bytes);
