// The five files of a frame kept from the Kinect v2, then its "frameSaved" line.
#include "KinectFrameFiles.h"

#include "BinaryFile.h"
#include "ColorJpeg.h"
#include "DepthConversion.h"
#include "EventLines.h"
#include "FrameFiles.h"
#include "ImageFile.h"
#include "KinectGeometry.h"
#include "OrderedFiles.h"
#include "SeriesSummary.h"

#include <stdexcept>

namespace {

// The order in which the files take their names.
enum KinectFile : std::size_t { Color, ColorFull, ColorMap, Depth, DepthRaw, KinectFileCount };

} // namespace

void writeKinectFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame)
{
    const std::string colorPath = frameFilePath(outputDir, kColorFile, frame.index);
    const std::string colorFullPath = frameFilePath(outputDir, kColorFullFile, frame.index);
    const std::string colorMapPath = frameFilePath(outputDir, kColorMapFile, frame.index);
    const std::string depthPath = frameFilePath(outputDir, kDepthFile, frame.index);
    const std::string depthRawPath = frameFilePath(outputDir, kDepthRawFile, frame.index);
    cv::Mat millimetres;  // one conversion for the PNG and the raw file
    // Declared after everything the workers read, so that its end waits for them first.
    OrderedFiles files(workers, KinectFileCount);

    // The largest image first, so that it starts first.
    files.makeOnWorker(
        ColorFull, [&] { return stageColorJpeg(frame.colorFull, colorFullPath, kColorFullJpegQuality); },
        sameMessage("Original-Farbbild konnte nicht gespeichert werden: " + colorFullPath));
    files.makeOnWorker(
        Color, [&] { return stageColorJpeg(frame.color, colorPath, kColorJpegQuality); },
        sameMessage("Farbbild konnte nicht gespeichert werden: " + colorPath));
    files.makeOnWorker(
        Depth, [&] { millimetres = depthToMillimetreImage(frame.depthMm); },
        [&] { return stageImageFile(depthPath, millimetres); },
        sameMessage("Tiefen-PNG konnte nicht gespeichert werden: " + depthPath));

    files.makeHere(
        ColorMap, [&] { return stageMatrixBytes(colorMapPath, frame.colorDepthMap); },
        [&](CompleteFileResult result) {
            return result == CompleteFileResult::NotCreated
                       ? "Color-Depth-Map konnte nicht geöffnet werden: " + colorMapPath
                       : std::string("Color-Depth-Map konnte nicht vollständig geschrieben werden.");
        });
    files.makeHere(
        DepthRaw,
        [&] {
            // The conversion always yields CV_16UC1; the size is what can be wrong.
            if (millimetres.rows != kKinectDepthHeight || millimetres.cols != kKinectDepthWidth) {
                throw std::runtime_error("Ungültiges Tiefenbild für Rohdatenausgabe.");
            }
            return stageMatrixBytes(depthRawPath, millimetres);
        },
        [&](CompleteFileResult result) {
            return (result == CompleteFileResult::NotCreated ? "Tiefen-Rohdatei konnte nicht geöffnet werden: "
                                                             : "Tiefen-Rohdatei konnte nicht geschrieben werden: ") +
                   depthRawPath;
        });

    files.commitInOrder(beforeFrameFiles(outputDir, frame.index));
    emitFrameSaved(frame.index, frame.timestampMs, colorPath, depthPath, depthRawPath);
}
