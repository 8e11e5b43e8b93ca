// What a frame file must be before it is decoded.
#include "FrameFileRules.h"

#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>

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
    if (!png && !header->sequential) {
        return std::string("is a progressive or other non-baseline JPEG, which the capture never writes");
    }
    return std::nullopt;
}

std::optional<std::string> pngDataProblem(const std::vector<uint8_t>& png, int width, int height)
{
    const uintmax_t most = 2 * static_cast<uintmax_t>(height) * (1 + static_cast<uintmax_t>(width) * 2);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        throw std::bad_alloc();
    }
    const std::unique_ptr<z_stream, int (*)(z_stream*)> end(&stream, inflateEnd);
    std::vector<uint8_t> scratch(64 * 1024);
    uintmax_t inflated = 0;
    // The chunks after the signature: length, type, data, CRC; the image data lie in the IDAT chunks.
    constexpr size_t kChunkFrame = 12;
    for (size_t at = 8; at + kChunkFrame <= png.size();) {
        const uint32_t length = static_cast<uint32_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (length > png.size() - at - kChunkFrame) {
            break;
        }
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0) {
            stream.next_in = const_cast<Bytef*>(&png[at + 8]);
            stream.avail_in = length;
            do {
                stream.next_out = scratch.data();
                stream.avail_out = static_cast<uInt>(scratch.size());
                const int status = inflate(&stream, Z_NO_FLUSH);
                inflated += scratch.size() - stream.avail_out;
                if (inflated > most) {
                    return "holds far more image data than a " + sizeText(width, height) + " image";
                }
                if (status != Z_OK && status != Z_BUF_ERROR) {
                    return std::nullopt;
                }
            } while (stream.avail_in > 0 || stream.avail_out == 0);
        }
        at += kChunkFrame + length;
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
