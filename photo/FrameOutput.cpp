// The photo file and the live stream parts, frame by frame.
#include "FrameOutput.h"

#include "ImageFile.h"
#include "MessageLine.h"
#include "MjpegPart.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <limits>

namespace {

bool writePhoto(const cv::Mat& image, const std::string& outputPath, bool& outputWritten,
                const FrameOutput& output)
{
    outputWritten = writeImageFile(outputPath, image, {cv::IMWRITE_JPEG_QUALITY, kPhotoJpegQuality});
    if (!outputWritten) {
        writeLine(output.messages, kPhotoNotSavedMessage);
    }
    return false;
}

bool writeStreamPart(const cv::Mat& image, int32_t index, bool& outputWritten, const FrameOutput& output)
{
    if ((index - kPhotoFrameIndex) % kStreamFrameInterval != 0) {
        return true;
    }
    cv::Mat scaled;
    cv::resize(image, scaled, cv::Size(kStreamWidth, kStreamHeight), 0, 0, cv::INTER_AREA);
    std::vector<unsigned char> jpeg;
    if (!output.encode(scaled, jpeg)) {
        writeLine(output.messages, kStreamNotEncodedMessage);
        return false;
    }
    writeMjpegPart(output.stream, jpeg);
    if (!output.stream.good()) {
        return false;
    }
    outputWritten = true;
    return true;
}

} // namespace

bool encodeStreamJpeg(const cv::Mat& image, std::vector<unsigned char>& jpeg)
{
    return cv::imencode(".jpg", image, jpeg, {cv::IMWRITE_JPEG_QUALITY, kStreamJpegQuality});
}

bool handleFrame(const cv::Mat& image, bool stream, int32_t index, const std::string& outputPath,
                 bool& outputWritten, const FrameOutput& output)
{
    if (image.empty() || index < kWarmUpFrames) {
        return true;
    }
    return stream ? writeStreamPart(image, index, outputWritten, output)
                  : writePhoto(image, outputPath, outputWritten, output);
}

int32_t nextFrameIndex(int32_t index)
{
    constexpr int32_t kLast = std::numeric_limits<int32_t>::max();
    if (index < kLast) {
        return index + 1;
    }
    // kLast + 1 - 20 would be the next offset; keep its remainder modulo the interval.
    constexpr int64_t kNextOffset = static_cast<int64_t>(kLast) + 1 - kPhotoFrameIndex;
    return kPhotoFrameIndex + static_cast<int32_t>(kNextOffset % kStreamFrameInterval);
}
