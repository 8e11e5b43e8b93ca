// A frame's JPEG or PNG decoded, with what is wrong with it.
#include "FrameImage.h"

#include "FrameFileBytes.h"
#include "FrameFileRules.h"

#include <opencv2/imgcodecs.hpp>

uintmax_t frameImageReadBytes(bool png, int width, int height)
{
    return mostImageFileBytes(png, width, height) + static_cast<uintmax_t>(width) * height * (png ? 2 : 3);
}

std::optional<std::string> imageProblem(const cv::Mat& image, int width, int height, int type)
{
    if (image.empty()) {
        return std::string("does not decode");
    }
    if (image.cols != width || image.rows != height) {
        return "decodes to " + sizeText(image.cols, image.rows) + ", not " + sizeText(width, height);
    }
    if (image.type() != type) {
        return pixelTypeProblem(type == CV_16UC1);
    }
    return std::nullopt;
}

FrameImage decodeFrameImage(const FileBytes& file, bool png, int width, int height)
{
    FrameImage frame;
    frame.problem = file.problem;
    if (frame.problem) {
        return frame;
    }
    try {
        frame.image = cv::imdecode(file.bytes, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        frame.image.release();
    }
    frame.problem = imageProblem(frame.image, width, height, png ? CV_16UC1 : CV_8UC3);
    if (frame.problem) {
        frame.image.release();
    }
    return frame;
}

FrameImage readFrameImage(const std::string& path, bool png, int width, int height)
{
    const FrameFileLayout layout{png ? kDepthFile : kColorFile, width, height};
    return decodeFrameImage(readFrameFile(path, layout), png, width, height);
}
