// A frame's JPEG or PNG read from disk, with what is wrong with it.
#include "FrameImage.h"

#include "CheckRules.h"
#include "EncodedImageHeader.h"
#include "FileBytes.h"

#include <opencv2/imgcodecs.hpp>

namespace {

uintmax_t decodedBytes(bool png, int width, int height)
{
    return static_cast<uintmax_t>(width) * height * (png ? 2 : 3);
}

uintmax_t mostFileBytes(bool png, int width, int height)
{
    return 2 * decodedBytes(png, width, height) + (1u << 20);
}

} // namespace

uintmax_t frameImageReadBytes(bool png, int width, int height)
{
    return mostFileBytes(png, width, height) + decodedBytes(png, width, height);
}

FrameImage readFrameImage(const std::string& path, bool png, int width, int height)
{
    FrameImage frame;
    const int type = png ? CV_16UC1 : CV_8UC3;
    const FileBytes file = readRegularFile(path, [&](uintmax_t size) {
        return imageFileSizeProblem(size, mostFileBytes(png, width, height), width, height);
    });
    // A truncated JPEG still decodes, with grey below the cut, so it is refused before decoding;
    // a header that promises another image would make the decoder allocate for that one.
    frame.problem = file.problem;
    if (!frame.problem) frame.problem = truncationProblem(file.bytes, png);
    if (!frame.problem) {
        frame.problem = headerProblem(png ? pngHeader(file.bytes) : jpegHeader(file.bytes), width, height, type);
    }
    if (frame.problem) {
        return frame;
    }
    try {
        frame.image = cv::imdecode(file.bytes, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        frame.image.release();
    }
    frame.problem = imageProblem(frame.image, width, height, type);
    if (frame.problem) {
        frame.image.release();
    }
    return frame;
}
