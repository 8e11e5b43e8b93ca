// The four files of a frame kept from the Orbbec camera, then its "frameSaved" line.
#include "OrbbecFrameFiles.h"

#include "BinaryFile.h"
#include "ColorJpeg.h"
#include "DepthConversion.h"
#include "EventLines.h"
#include "FrameFiles.h"
#include "ImageFile.h"
#include "OrderedFiles.h"
#include "SeriesSummary.h"

#include <stdexcept>

namespace {

// The order in which the files take their names.
enum OrbbecFile : std::size_t { Color, ColorFull, Depth, DepthRaw, OrbbecFileCount };

} // namespace

void writeOrbbecFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame)
{
    const std::string colorPath = frameFilePath(outputDir, kColorFile, frame.index);
    const std::string colorFullPath = frameFilePath(outputDir, kColorFullFile, frame.index);
    const std::string depthPath = frameFilePath(outputDir, kDepthFile, frame.index);
    const std::string depthRawPath = frameFilePath(outputDir, kDepthRawFile, frame.index);
    cv::Mat millimetres;  // one conversion for the PNG and the raw file
    // Declared after everything the workers read, so that its end waits for them first.
    OrderedFiles files(workers, OrbbecFileCount);

    // A colour image first, so that a worker starts at once; then the largest
    // image, the PNG, once its depth is converted.
    files.makeOnWorker(
        Color, [&] { return stageColorJpeg(frame.color, colorPath, kColorJpegQuality); },
        sameMessage("Farbbild konnte nicht gespeichert werden: " + colorPath));
    files.makeOnWorker(
        Depth,
        [&] {
            // The conversion turns any non-empty float image into a 16-bit one of the
            // same size, so this one check also covers the raw file's input.
            if (frame.depthMm.empty() || frame.depthMm.type() != CV_32FC1) {
                throw std::runtime_error("Ungueltiges Orbbec-Tiefenbild.");
            }
            millimetres = depthToMillimetreImage(frame.depthMm);
        },
        [&] { return stageImageFile(depthPath, millimetres); },
        sameMessage("Depth-PNG konnte nicht gespeichert werden."));
    // Both colour files carry the same text.
    files.makeOnWorker(
        ColorFull, [&] { return stageColorJpeg(frame.colorFull, colorFullPath, kColorFullJpegQuality); },
        sameMessage("Farbbild konnte nicht gespeichert werden: " + colorFullPath));

    files.makeHere(
        DepthRaw, [&] { return stageMatrixBytes(depthRawPath, millimetres); },
        [](CompleteFileResult result) {
            return std::string(result == CompleteFileResult::NotCreated
                                   ? "Depth-Rohdatei konnte nicht geoeffnet werden."
                                   : "Depth-Rohdatei konnte nicht vollstaendig geschrieben werden.");
        });

    files.commitInOrder(beforeFrameFiles(outputDir, frame.index));
    emitFrameSaved(frame.index, frame.timestampMs, colorPath, depthPath, depthRawPath);
}
