// What a frame file must be before it is decoded.
#include "FrameFileRules.h"

#include <cstring>

uintmax_t binaryFileBytes(const FrameFileLayout& file)
{
    const uintmax_t pixels = static_cast<uintmax_t>(file.width) * file.height;
    return pixels * (file.kind == FrameFileKind::DepthRaw ? sizeof(uint16_t) : sizeof(int32_t));
}

uintmax_t mostImageFileBytes(bool png, int width, int height)
{
    const uintmax_t decoded = static_cast<uintmax_t>(width) * height * (png ? 2 : 3);
    return 2 * decoded + (1u << 20);
}

std::optional<std::string> byteSizeProblem(uintmax_t size, uintmax_t expected)
{
    if (size == expected) {
        return std::nullopt;
    }
    return "has " + std::to_string(size) + " bytes, not " + std::to_string(expected);
}

std::optional<std::string> imageFileSizeProblem(uintmax_t size, uintmax_t mostBytes, int width, int height)
{
    if (size <= mostBytes) {
        return std::nullopt;
    }
    return "has " + std::to_string(size) + " bytes, too many for a " + sizeText(width, height) + " image (at most " +
           std::to_string(mostBytes) + ")";
}

std::optional<std::string> truncationProblem(const std::vector<uint8_t>& bytes, bool png)
{
    // A PNG ends with its IEND chunk, a JPEG with the end-of-image marker.
    static const uint8_t pngEnd[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    static const uint8_t jpegEnd[] = {0xFF, 0xD9};
    const uint8_t* end = png ? pngEnd : jpegEnd;
    const size_t endSize = png ? sizeof pngEnd : sizeof jpegEnd;
    if (bytes.size() >= endSize && std::memcmp(bytes.data() + bytes.size() - endSize, end, endSize) == 0) {
        return std::nullopt;
    }
    return std::string("is cut short: it does not end with the ") + (png ? "IEND chunk" : "JPEG end marker");
}

std::optional<std::string> headerProblem(const std::optional<EncodedImageHeader>& header, int width, int height,
                                         bool png)
{
    if (!header) {
        return std::string("does not decode");
    }
    if (header->width != static_cast<uint32_t>(width) || header->height != static_cast<uint32_t>(height)) {
        return "is " + sizeText(header->width, header->height) + " in its header, not " + sizeText(width, height);
    }
    const bool expectedPixels = png ? header->channels == 1 && header->bitsPerChannel == 16
                                    : header->channels == 3 && header->bitsPerChannel == 8;
    if (!expectedPixels) {
        return pixelTypeProblem(png);
    }
    return std::nullopt;
}

std::string sizeText(uintmax_t width, uintmax_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string pixelTypeProblem(bool png)
{
    return png ? "is not 16-bit greyscale" : "is not 8-bit 3-channel colour";
}
