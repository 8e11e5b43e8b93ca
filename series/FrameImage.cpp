// A frame's JPEG or PNG read from disk, with what is wrong with it.
#include "FrameImage.h"

#include "CheckRules.h"
#include "FileBytes.h"

#include <opencv2/imgcodecs.hpp>

FrameImage readFrameImage(const std::string& path, bool png, int width, int height)
{
    FrameImage frame;
    const std::optional<std::vector<uint8_t>> bytes = readBinaryFile(path);
    if (!bytes) {
        frame.problem = unreadableFileProblem(path);
        return frame;
    }
    // A truncated JPEG still decodes, with grey below the cut, so it is refused before decoding.
    frame.problem = truncationProblem(*bytes, png);
    if (frame.problem) {
        return frame;
    }
    try {
        frame.image = cv::imdecode(*bytes, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        frame.image.release();
    }
    frame.problem = imageProblem(frame.image, width, height, png ? CV_16UC1 : CV_8UC3);
    if (frame.problem) {
        frame.image.release();
    }
    return frame;
}
