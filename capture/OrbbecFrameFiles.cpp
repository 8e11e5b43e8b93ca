// The four files of a frame kept from the Orbbec camera, then its "frameSaved" line.
#include "OrbbecFrameFiles.h"

#include "FrameFileWriter.h"

namespace {

// The conversion turns any such image into a 16-bit one of the same size, fit for both depth files.
bool isFloatDepth(const cv::Mat& depthMm)
{
    return !depthMm.empty() && depthMm.type() == CV_32FC1;
}

const CameraFrameFiles kOrbbecFiles{
    {
        // A colour image first, so that a worker starts at once; then the largest image, the PNG,
        // once its depth is converted. Both colour files carry the same text.
        {&kColorFile, "Farbbild konnte nicht gespeichert werden: "},
        {&kDepthFile, "Depth-PNG konnte nicht gespeichert werden."},
        {&kColorFullFile, "Farbbild konnte nicht gespeichert werden: "},
        {&kDepthRawFile, "Depth-Rohdatei konnte nicht geoeffnet werden.",
         "Depth-Rohdatei konnte nicht vollstaendig geschrieben werden."},
    },
    &kDepthFile,
    isFloatDepth,
    "Ungueltiges Orbbec-Tiefenbild.",
};

} // namespace

void writeOrbbecFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame)
{
    writeFrameFiles(workers, outputDir, frame, kOrbbecFiles);
}
