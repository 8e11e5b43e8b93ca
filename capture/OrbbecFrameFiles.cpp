// The four files of a frame kept from the Orbbec camera, then its "frameSaved" line.
#include "OrbbecFrameFiles.h"

#include "BinaryFile.h"
#include "ColorJpeg.h"
#include "DepthConversion.h"
#include "EventLines.h"
#include "FrameFileName.h"
#include "ImageFile.h"
#include "OutputDirectories.h"

#include <stdexcept>

void writeOrbbecFrameFiles(const std::filesystem::path& outputDir, const SampledFrame& frame)
{
    const std::string colorPath = frameFilePath(outputDir, kColorDir, "color", frame.index, ".jpg");
    const std::string colorFullPath = frameFilePath(outputDir, kColorFullDir, "color-full", frame.index, ".jpg");
    const std::string depthPath = frameFilePath(outputDir, kDepthDir, "depth", frame.index, ".png");
    const std::string depthRawPath = frameFilePath(outputDir, kDepthRawDir, "depth", frame.index, ".bin");

    writeColorJpeg(frame.color, colorPath, kColorJpegQuality);
    writeColorJpeg(frame.colorFull, colorFullPath, kColorFullJpegQuality);

    // The conversion turns any non-empty float image into a 16-bit one of the
    // same size, so this one check also covers the raw file's input.
    if (frame.depthMm.empty() || frame.depthMm.type() != CV_32FC1) {
        throw std::runtime_error("Ungueltiges Orbbec-Tiefenbild.");
    }
    const cv::Mat millimetres = depthToMillimetreImage(frame.depthMm);
    if (!writeImageFile(depthPath, millimetres)) {
        throw std::runtime_error("Depth-PNG konnte nicht gespeichert werden.");
    }

    switch (writeMatrixBytes(depthRawPath, millimetres)) {
    case CompleteFileResult::NotCreated:
        throw std::runtime_error("Depth-Rohdatei konnte nicht geoeffnet werden.");
    case CompleteFileResult::NotWritten:
        throw std::runtime_error("Depth-Rohdatei konnte nicht vollstaendig geschrieben werden.");
    case CompleteFileResult::Written:
        break;
    }

    emitFrameSaved(frame.index, frame.timestampMs, colorPath, depthPath, depthRawPath);
}
