// The one writer of a kept frame's files, for either camera, driven by the camera's list of them.
#include "FrameFileWriter.h"

#include "BinaryFile.h"
#include "ColorJpeg.h"
#include "DepthConversion.h"
#include "EventLines.h"
#include "ImageFile.h"
#include "OrderedFiles.h"
#include "SeriesSummary.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace {

// Where the file takes its name among the camera's: in the series layout's order of folders.
std::size_t positionOf(const FrameFile& file, const CameraFrameFiles& camera)
{
    const auto rank = [](const FrameFile& of) {
        return std::find(kFrameFolders.begin(), kFrameFolders.end(), std::string_view(of.subDirectory));
    };
    return static_cast<std::size_t>(std::count_if(camera.files.begin(), camera.files.end(), [&](const auto& other) {
        return rank(*other.file) < rank(file);
    }));
}

std::string withPath(std::string_view text, const std::string& path)
{
    return std::string(text) + (text.substr(text.size() - 2) == ": " ? path : "");
}

} // namespace

void writeFrameFiles(WorkerPool& workers, const std::filesystem::path& outputDir, const SampledFrame& frame,
                     const CameraFrameFiles& camera)
{
    cv::Mat millimetres;  // one conversion for the PNG and the raw file
    // Declared after everything the workers read, so that its end waits for them first.
    OrderedFiles files(workers, camera.files.size());

    for (const FrameFileWriting& writing : camera.files) {
        const FrameFile& file = *writing.file;
        const std::size_t position = positionOf(file, camera);
        const std::string path = frameFilePath(outputDir, file, frame.index);
        const auto checkDepth = [&] {
            if (&file == camera.depthCheckedAt && !camera.depthIsValid(frame.depthMm)) {
                throw std::runtime_error(camera.invalidDepthMessage);
            }
        };
        const auto message = [&writing, path](CompleteFileResult result) {
            const bool cutShort = writing.notWritten != nullptr && result == CompleteFileResult::NotWritten;
            return withPath(cutShort ? writing.notWritten : writing.failure, path);
        };
        if (file.kind == FrameFileKind::ColorJpeg) {
            const bool full = &file == &kColorFullFile;
            const cv::Mat& image = full ? frame.colorFull : frame.color;
            const int quality = full ? kColorFullJpegQuality : kColorJpegQuality;
            files.makeOnWorker(position, [&image, path, quality] { return stageColorJpeg(image, path, quality); }, message);
        } else if (file.kind == FrameFileKind::DepthPng) {
            files.makeOnWorker(
                position,
                [&] {
                    checkDepth();
                    millimetres = depthToMillimetreImage(frame.depthMm);
                },
                [&millimetres, path] { return stageImageFile(path, millimetres); }, message);
        } else {
            const cv::Mat& values = file.kind == FrameFileKind::ColorMap ? frame.colorDepthMap : millimetres;
            files.makeHere(
                position,
                [&] {
                    checkDepth();
                    return stageMatrixBytes(path, values);
                },
                message);
        }
    }

    files.commitInOrder(beforeFrameFiles(outputDir, frame.index));
    const auto pathOf = [&](const FrameFile& file) { return frameFilePath(outputDir, file, frame.index); };
    emitFrameSaved(frame.index, frame.timestampMs, pathOf(kColorFile), pathOf(kDepthFile), pathOf(kDepthRawFile));
}
