// The size and pixel format a JPEG or PNG declares in its header, read without decoding it.
#include "EncodedImageHeader.h"

#include <cstring>

namespace {

uint32_t bigEndian(const uint8_t* bytes, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

bool isStartOfFrame(uint8_t marker)
{
    // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning) share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool standsAlone(uint8_t marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

} // namespace

std::optional<EncodedImageHeader> jpegHeader(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        return std::nullopt;
    }
    size_t at = 2;
    while (at < bytes.size()) {
        // As the decoder does: bytes before a marker are skipped, and so are fill bytes 0xFF.
        while (at < bytes.size() && bytes[at] != 0xFF) ++at;
        while (at < bytes.size() && bytes[at] == 0xFF) ++at;
        if (at >= bytes.size()) {
            break;
        }
        const uint8_t marker = bytes[at++];
        if (standsAlone(marker)) {
            continue;
        }
        if (marker == 0xDA || marker == 0xD9 || at + 2 > bytes.size()) {
            break;
        }
        const uint32_t length = bigEndian(&bytes[at], 2);
        if (isStartOfFrame(marker)) {
            if (length < 8 || at + 8 > bytes.size()) {
                break;
            }
            return EncodedImageHeader{bigEndian(&bytes[at + 5], 2), bigEndian(&bytes[at + 3], 2), bytes[at + 7],
                                      bytes[at + 2], marker == 0xC0 || marker == 0xC1};
        }
        if (length < 2) {
            break;
        }
        at += length;
    }
    return std::nullopt;
}

std::optional<EncodedImageHeader> pngHeader(const std::vector<uint8_t>& bytes)
{
    static const uint8_t start[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (bytes.size() < sizeof start + 10 || std::memcmp(bytes.data(), start, sizeof start) != 0) {
        return std::nullopt;
    }
    const uint8_t* fields = bytes.data() + sizeof start;
    // Colour types 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA.
    static const int channelsOfColorType[] = {1, 0, 3, 1, 2, 0, 4};
    const uint8_t colorType = fields[9];
    const int channels = colorType < sizeof channelsOfColorType / sizeof(int) ? channelsOfColorType[colorType] : 0;
    return EncodedImageHeader{bigEndian(fields, 4), bigEndian(fields + 4, 4), channels, fields[8]};
}
