// A recorded test series that a simulated camera plays back, each frame read from its files as it is delivered.
#include "kestrum_sim/ReplaySeries.h"

#include "CameraMessage.h"
#include "FrameFileBytes.h"
#include "FrameImage.h"
#include "RunLimits.h"
#include "SeriesTiming.h"
#include "kestrum_sim/DeviceClock.h"

#include <cmath>
#include <cstring>
#include <new>

namespace kestrum_sim {
namespace {

const char* cameraName(SeriesCamera camera)
{
    return camera == SeriesCamera::Orbbec ? "an Orbbec camera" : "a Kinect v2";
}

// What follows capture.json's path when this camera cannot play the series it describes, or nothing.
std::optional<std::string> descriptionProblem(const SeriesDescription& series, SeriesCamera camera)
{
    if (series.camera != camera) {
        return std::string(" describes a series of ") + cameraName(series.camera) + ", not of " + cameraName(camera);
    }
    if (const std::optional<std::string> problem = impossibleRunProblem(series)) {
        return ": " + *problem;
    }
    if (series.savedFrames == 0) {
        return std::string(" has no saved frames");
    }
    // The depth frames carry the scale as a float, and the raw values are millimetres divided by it.
    const auto scale = static_cast<float>(series.depthScale);
    if (camera == SeriesCamera::Orbbec && !(std::isfinite(scale) && scale > 0)) {
        return std::string(": depthScale must be a positive number of single precision");
    }
    return std::nullopt;
}

// The files a camera delivers: the full colour image and the raw depth, and the Kinect v2's registered colour
// and map, which its Registration hands back. The depth PNGs hold the raw depth again, and so does the Orbbec
// camera's color/ the full colour image.
bool isPlayed(SeriesCamera camera, const FrameFileLayout& file)
{
    if (file.kind == FrameFileKind::DepthPng) return false;
    return camera == SeriesCamera::KinectV2 || std::strcmp(file.subDirectory, kColorDir) != 0;
}

// The file read and decoded, or why not. The raw files are little-endian, as the machines that replay them.
FrameImage readPlayedFile(const std::string& path, const FrameFileLayout& file)
{
    const FileBytes read = readFrameFile(path, file);
    if (file.kind == FrameFileKind::ColorJpeg) {
        return decodeFrameImage(read, false, file.width, file.height);
    }
    FrameImage image;
    image.problem = read.problem;
    if (!read.problem) {
        const int type = file.kind == FrameFileKind::DepthRaw ? CV_16UC1 : CV_32SC1;
        image.image = cv::Mat(file.height, file.width, type, const_cast<uint8_t*>(read.bytes.data())).clone();
    }
    return image;
}

} // namespace

ReplaySeries::ReplaySeries(const std::string& variableName, const std::string& dir, SeriesCamera camera)
    : setting_(variableName + ": replay=" + dir), dir_(dir)
{
    const std::string metadata = (std::filesystem::path(dir) / "capture.json").string();
    std::string file = metadata;   // the one at hand when memory runs out
    try {
        description_ = readCaptureJson(dir);
        if (const std::optional<std::string> problem = descriptionProblem(description_, camera)) {
            throw ReplayError(setting_ + ": " + metadata + *problem);
        }
        for (const FrameFileLayout& layout : frameFilesOf(description_)) {
            if (isPlayed(camera, layout)) playedFiles_.push_back(layout);
        }
        for (int32_t index = 0; index < description_.savedFrames; ++index) {
            for (const FrameFileLayout& layout : playedFiles_) {
                file = frameFilePath(dir, layout, index);
                if (const std::optional<std::string> problem = frameFileProblem(file, layout)) {
                    throw ReplayError(setting_ + ": " + file + " " + *problem);
                }
            }
        }
        file = (std::filesystem::path(dir) / kTimingFileName).string();
        if (std::optional<TimingFile> timing = readTimingFile(dir)) {
            std::vector<std::string> problems = timing->problems;
            for (const std::string& problem : frameOrderProblems(*timing, description_.savedFrames)) problems.push_back(problem);
            if (!problems.empty()) throw ReplayError(setting_ + ": " + file + ": " + problems.front());
            // A lap follows the one before as a kept frame follows another.
            timeline_.emplace(std::move(timing->timing.frames), 1'000'000 / description_.requestedSampleFps);
        }
    } catch (const SeriesDescriptionError& error) {
        throw ReplayError(setting_ + ": " + error.what());
    } catch (const std::bad_alloc&) {
        throw ReplayError(setting_ + ": " + file + " cannot be read: out of memory");
    }
}

std::optional<ReplayedFrame> ReplaySeries::frame(uint64_t number, bool colorOnly) const
{
    ReplayedFrame frame;
    frame.index = static_cast<int32_t>(number % static_cast<uint64_t>(description_.savedFrames));
    for (const FrameFileLayout& file : playedFiles_) {
        const bool fullColor = std::strcmp(file.subDirectory, kColorFullDir) == 0;
        cv::Mat& target = fullColor                               ? frame.fullColor
                          : file.kind == FrameFileKind::DepthRaw  ? frame.depthMm
                          : file.kind == FrameFileKind::ColorMap  ? frame.colorDepthMap
                                                                  : frame.registeredColor;
        if (colorOnly && !fullColor) continue;
        const std::string path = frameFilePath(dir_, file, frame.index);
        FrameImage image;
        try {
            image = readPlayedFile(path, file);
        } catch (const std::bad_alloc&) {
            image.problem = "cannot be read: out of memory";
        } catch (const cv::Exception&) {
            // How OpenCV reports an image it cannot allocate.
            image.problem = "cannot be read: out of memory";
        }
        if (image.problem) {
            writeCameraMessage(setting_ + ": frame " + std::to_string(frame.index) + " is not delivered: " + path + " " +
                               *image.problem);
            return std::nullopt;
        }
        target = std::move(image.image);
    }
    return frame;
}

std::shared_ptr<const ReplaySeries> replaySeriesOrExit(const Settings& settings, const std::string& variableName,
                                                       SeriesCamera camera)
{
    std::shared_ptr<const ReplaySeries> series;
    try {
        series = std::make_shared<const ReplaySeries>(variableName, settings.text("replay", ""), camera);
    } catch (const ReplayError& error) {
        exitForBadSetting(error.what());
    }
    if (series->timeline()) {
        std::vector<std::string> overruled = {"fps"};
        for (const SettingKey& key : deviceClockKeys()) overruled.push_back(key.name);
        for (const std::string& name : overruled) {
            if (settings.has(name)) {
                exitForBadSetting(variableName + ": setting '" + name +
                                  "' cannot go with 'replay' of a series with a timing file, whose times it plays");
            }
        }
    }
    return series;
}

} // namespace kestrum_sim
