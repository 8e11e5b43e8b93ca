// A recorded test series held in memory as a simulated camera plays it back.
#include "kestrum_sim/ReplaySeries.h"

#include "FrameFileBytes.h"
#include "FrameFiles.h"
#include "FrameImage.h"
#include "KinectGeometry.h"
#include "RunLimits.h"
#include "kestrum_sim/Settings.h"

#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <cstring>

namespace kestrum_sim {
namespace {

const char* cameraName(SeriesCamera camera)
{
    return camera == SeriesCamera::Orbbec ? "an Orbbec camera" : "a Kinect v2";
}

bool isBinary(const FrameFileLayout& file)
{
    return file.kind == FrameFileKind::DepthRaw || file.kind == FrameFileKind::ColorMap;
}

// The raw depth as 16-bit greyscale, the map's four bytes per entry as four channels: both lossless.
cv::Mat binaryAsImage(const FrameFileLayout& file, const std::vector<uint8_t>& bytes)
{
    const int type = file.kind == FrameFileKind::DepthRaw ? CV_16UC1 : CV_8UC4;
    return cv::Mat(file.height, file.width, type, const_cast<uint8_t*>(bytes.data()));
}

std::vector<uint8_t> compressed(const FrameFileLayout& file, const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> png;
    cv::imencode(".png", binaryAsImage(file, bytes), png, {cv::IMWRITE_PNG_COMPRESSION, 1});
    return png;
}

// The decoded file, or why not.
FrameImage decoded(const FrameFileLayout& file, const std::vector<uint8_t>& stored)
{
    if (!isBinary(file)) {
        return decodeFrameImage({stored, std::nullopt}, file.kind == FrameFileKind::DepthPng, file.width,
                                file.height);
    }
    FrameImage frame;
    try {
        frame.image = cv::imdecode(stored, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        frame.image.release();
    }
    const int type = file.kind == FrameFileKind::DepthRaw ? CV_16UC1 : CV_8UC4;
    if (frame.image.type() != type || frame.image.cols != file.width || frame.image.rows != file.height) {
        frame.image.release();
        frame.problem = "does not decode";
    } else if (file.kind == FrameFileKind::ColorMap) {
        frame.image = cv::Mat(file.height, file.width, CV_32SC1, frame.image.data).clone();
    }
    return frame;
}

} // namespace

ReplaySeries::ReplaySeries(const std::string& variableName, const std::string& dir, SeriesCamera camera)
    : setting_(variableName + ": replay=" + dir), dir_(dir)
{
    try {
        description_ = readCaptureJson(dir);
    } catch (const SeriesDescriptionError& error) {
        throw ReplayError(setting_ + ": " + error.what());
    }
    const std::string metadata = (std::filesystem::path(dir) / "capture.json").string();
    if (description_.camera != camera) {
        throw ReplayError(setting_ + ": " + metadata + " describes a series of " + cameraName(description_.camera) +
                          ", not of " + cameraName(camera));
    }
    if (const std::optional<std::string> problem = impossibleRunProblem(description_)) {
        throw ReplayError(setting_ + ": " + metadata + ": " + *problem);
    }
    if (camera == SeriesCamera::KinectV2 &&
        (description_.width != kKinectDepthWidth || description_.height != kKinectDepthHeight)) {
        throw ReplayError(setting_ + ": " + metadata + ": width x height " +
                          std::to_string(description_.width) + "x" + std::to_string(description_.height) +
                          " is not the Kinect v2's " + std::to_string(kKinectDepthWidth) + "x" +
                          std::to_string(kKinectDepthHeight));
    }
    // The Orbbec camera's depth files lie in its colour image.
    if (camera == SeriesCamera::Orbbec && (description_.width != description_.fullColorWidth ||
                                           description_.height != description_.fullColorHeight)) {
        throw ReplayError(setting_ + ": " + metadata + ": width x height " + std::to_string(description_.width) + "x" +
                          std::to_string(description_.height) + " is not colorWidth x colorHeight " +
                          std::to_string(description_.fullColorWidth) + "x" +
                          std::to_string(description_.fullColorHeight));
    }
    if (description_.savedFrames == 0) {
        throw ReplayError(setting_ + ": " + metadata + " has no saved frames");
    }
    if (camera == SeriesCamera::Orbbec && !(description_.depthScale > 0)) {
        throw ReplayError(setting_ + ": " + metadata + ": depthScale must be positive");
    }
    for (int32_t index = 0; index < description_.savedFrames; ++index) {
        StoredFrame& stored = frames_.emplace_back();
        for (const FrameFileLayout& file : frameFilesOf(description_)) {
            const std::string path = frameFilePath(dir, file, index);
            FileBytes read = readFrameFile(path, file);
            if (read.problem) {
                throw ReplayError(setting_ + ": " + path + " " + *read.problem);
            }
            stored.push_back(isBinary(file) ? compressed(file, read.bytes) : std::move(read.bytes));
        }
    }
}

std::optional<ReplayedFrame> ReplaySeries::frame(uint64_t number, bool colorOnly) const
{
    const auto index = static_cast<int32_t>(number % frames_.size());
    const StoredFrame& stored = frames_[static_cast<size_t>(index)];
    const std::vector<FrameFileLayout> files = frameFilesOf(description_);
    ReplayedFrame frame;
    for (size_t i = 0; i < files.size(); ++i) {
        // Only what a camera delivers is decoded: the Orbbec camera's color/ and depth/ are not.
        const auto is = [&](const FrameFile& file) { return std::strcmp(files[i].subDirectory, file.subDirectory) == 0; };
        const bool kinect = description_.camera == SeriesCamera::KinectV2;
        cv::Mat* target = is(kColorFullFile)             ? &frame.fullColor
                          : is(kDepthRawFile)            ? &frame.depthMm
                          : kinect && is(kColorFile)     ? &frame.registeredColor
                          : kinect && is(kColorMapFile)  ? &frame.colorDepthMap
                                                         : nullptr;
        if (!target || (colorOnly && target != &frame.fullColor)) continue;
        FrameImage image = decoded(files[i], stored[i]);
        if (image.problem) {
            std::fprintf(stderr, "kestrum simulated camera: %s: frame %d is not delivered: %s %s\n", setting_.c_str(),
                         index, frameFilePath(dir_, files[i], index).c_str(), image.problem->c_str());
            std::fflush(stderr);
            return std::nullopt;
        }
        *target = image.image;
    }
    return frame;
}

std::shared_ptr<const ReplaySeries> replaySeriesOrExit(const std::string& variableName, const std::string& dir,
                                                       SeriesCamera camera)
{
    try {
        return std::make_shared<const ReplaySeries>(variableName, dir, camera);
    } catch (const ReplayError& error) {
        exitForBadSetting(error.what());
    }
}

} // namespace kestrum_sim
