// Own copies of an Orbbec frame's pixels as OpenCV images; the SDK's buffers are never handed out,
// and never read unless the frame holds what the stream asked for.
#include "OrbbecFrameImages.h"

#include "LineWriter.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unistd.h>

namespace {

const char* const kColorFrameDropped = "Orbbec-Farbbild verworfen: ";
const char* const kDepthFrameDropped = "Orbbec-Tiefenbild verworfen: ";

// The formats the programs ask for: BGR colour and Y16 depth.
const char* formatName(OBFormat format)
{
    return format == OB_FORMAT_BGR ? "BGR" : "Y16";
}

uint64_t bytesPerPixel(OBFormat format)
{
    return format == OB_FORMAT_BGR ? 3 : 2;
}

// The frame's pixels as a matrix of this type over the SDK's buffer; empty, with a line on standard
// error, when there is a problem: one the caller found (the depth scale), or one of the frame's data.
cv::Mat viewOf(const ob::VideoFrame& frame, OBFormat asked, int type, const char* dropped,
               std::optional<std::string> problem)
{
    const uint32_t height = frame.getHeight();
    const uint32_t width = frame.getWidth();
    if (!problem) {
        problem = frameDataProblem(frame.getFormat(), asked, width, height, frame.getDataSize());
    }
    if (problem) {
        kestrum::writeLine(STDERR_FILENO, dropped + *problem + ".");
        return cv::Mat();
    }
    // Data that fills no row at all: such a frame is merely incomplete.
    if (width == 0 || height == 0) {
        return cv::Mat();
    }
    return cv::Mat(static_cast<int>(height), static_cast<int>(width), type, frame.getData());
}

} // namespace

std::optional<std::string> frameDataProblem(OBFormat format, OBFormat asked, uint32_t width, uint32_t height,
                                            uint32_t dataSize)
{
    if (format != asked) {
        return "Format " + std::to_string(format) + " statt " + std::to_string(asked) + " (" + formatName(asked) + ")";
    }
    // A row of more than 32 bits fills no data size, and below that the product cannot overflow.
    const uint64_t rowBytes = width * bytesPerPixel(asked);
    const bool filled = rowBytes * height == dataSize && (height == 0 || rowBytes <= UINT32_MAX);
    if (!filled) {
        return std::to_string(dataSize) + " Datenbytes statt " + std::to_string(height) + " Zeilen zu " +
               std::to_string(rowBytes) + " Bytes (" + std::to_string(width) + "x" + std::to_string(height) + " " +
               formatName(asked) + ")";
    }
    return std::nullopt;
}

std::optional<std::string> valueScaleProblem(float scale)
{
    if (std::isfinite(scale) && scale > 0.0f) {
        return std::nullopt;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(scale));
    return std::string("Wertskala ") + text + " ist keine endliche positive Zahl";
}

cv::Mat colorImageOf(const ob::ColorFrame& frame)
{
    return viewOf(frame, OB_FORMAT_BGR, CV_8UC3, kColorFrameDropped, std::nullopt).clone();
}

cv::Mat depthImageOf(const ob::DepthFrame& frame, float scale)
{
    const cv::Mat view = viewOf(frame, OB_FORMAT_Y16, CV_16UC1, kDepthFrameDropped, valueScaleProblem(scale));
    cv::Mat converted;
    view.convertTo(converted, CV_32FC1, static_cast<double>(scale), 0.0);
    return converted;
}
