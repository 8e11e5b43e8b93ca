// The five files of a frame kept from the Kinect v2, then its "frameSaved" line.
#include "KinectFrameFiles.h"

#include "FrameFileWriter.h"
#include "KinectGeometry.h"

namespace {

bool hasKinectDepthSize(const cv::Mat& depthMm)
{
    return depthMm.rows == kKinectDepthHeight && depthMm.cols == kKinectDepthWidth;
}

const CameraFrameFiles kKinectFiles{
    {
        // The largest image first, so that it starts first.
        {&kColorFullFile, "Original-Farbbild konnte nicht gespeichert werden: "},
        {&kColorFile, "Farbbild konnte nicht gespeichert werden: "},
        {&kDepthFile, "Tiefen-PNG konnte nicht gespeichert werden: "},
        {&kColorMapFile, "Color-Depth-Map konnte nicht geöffnet werden: ",
         "Color-Depth-Map konnte nicht vollständig geschrieben werden."},
        {&kDepthRawFile, "Tiefen-Rohdatei konnte nicht geöffnet werden: ",
         "Tiefen-Rohdatei konnte nicht geschrieben werden: "},
    },
    &kDepthRawFile,
    hasKinectDepthSize,
    "Ungültiges Tiefenbild für Rohdatenausgabe.",
};

} // namespace

void writeKinectFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame)
{
    writeFrameFiles(workers, outputDir, frame, kKinectFiles);
}
