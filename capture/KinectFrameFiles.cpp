// The five files of a frame kept from the Kinect v2, then its "frameSaved" line.
#include "KinectFrameFiles.h"

#include "BinaryFile.h"
#include "ColorJpeg.h"
#include "DepthConversion.h"
#include "EventLines.h"
#include "FrameFileName.h"
#include "ImageFile.h"
#include "KinectGeometry.h"
#include "OutputDirectories.h"

#include <opencv2/imgproc.hpp>

#include <stdexcept>

namespace {

// The Kinect v2 delivers blue, green, red and an unused byte per pixel.
cv::Mat bgrFromBgra(const cv::Mat& bgra)
{
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

} // namespace

void writeKinectFrameFiles(const std::filesystem::path& outputDir, const SampledFrame& frame)
{
    const std::string colorPath = frameFilePath(outputDir, kColorDir, "color", frame.index, ".jpg");
    const std::string colorFullPath = frameFilePath(outputDir, kColorFullDir, "color-full", frame.index, ".jpg");
    const std::string colorMapPath = frameFilePath(outputDir, kColorMapDir, "color-map", frame.index, ".bin");
    const std::string depthPath = frameFilePath(outputDir, kDepthDir, "depth", frame.index, ".png");
    const std::string depthRawPath = frameFilePath(outputDir, kDepthRawDir, "depth", frame.index, ".bin");

    if (!writeJpeg(bgrFromBgra(frame.color), colorPath, kColorJpegQuality)) {
        throw std::runtime_error("Farbbild konnte nicht gespeichert werden: " + colorPath);
    }
    if (!writeJpeg(bgrFromBgra(frame.colorFull), colorFullPath, kColorFullJpegQuality)) {
        throw std::runtime_error("Original-Farbbild konnte nicht gespeichert werden: " + colorFullPath);
    }

    switch (writeMatrixBytes(colorMapPath, frame.colorDepthMap)) {
    case CompleteFileResult::NotCreated:
        throw std::runtime_error("Color-Depth-Map konnte nicht geöffnet werden: " + colorMapPath);
    case CompleteFileResult::NotWritten:
        throw std::runtime_error("Color-Depth-Map konnte nicht vollständig geschrieben werden.");
    case CompleteFileResult::Written:
        break;
    }

    const cv::Mat millimetres = depthToMillimetreImage(frame.depthMm);
    if (!writeImageFile(depthPath, millimetres)) {
        throw std::runtime_error("Tiefen-PNG konnte nicht gespeichert werden: " + depthPath);
    }

    // The conversion always yields CV_16UC1; the size is what can be wrong.
    if (millimetres.rows != kKinectDepthHeight || millimetres.cols != kKinectDepthWidth) {
        throw std::runtime_error("Ungültiges Tiefenbild für Rohdatenausgabe.");
    }
    switch (writeMatrixBytes(depthRawPath, millimetres)) {
    case CompleteFileResult::NotCreated:
        throw std::runtime_error("Tiefen-Rohdatei konnte nicht geöffnet werden: " + depthRawPath);
    case CompleteFileResult::NotWritten:
        throw std::runtime_error("Tiefen-Rohdatei konnte nicht geschrieben werden: " + depthRawPath);
    case CompleteFileResult::Written:
        break;
    }

    emitFrameSaved(frame.index, frame.timestampMs, colorPath, depthPath, depthRawPath);
}
