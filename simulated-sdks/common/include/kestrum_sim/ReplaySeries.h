// A recorded test series that a simulated camera plays back, each frame read from its files as it is delivered.
#pragma once

#include "FrameFiles.h"
#include "SeriesDescription.h"
#include "kestrum_sim/RecordedTimeline.h"
#include "kestrum_sim/Settings.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrum_sim {

// A series that cannot be replayed; the message names the directory and, where one is at fault, the file.
class ReplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One recorded frame, decoded from its files.
struct ReplayedFrame {
    int32_t index = 0;         // the recorded frame's number, that of its files
    cv::Mat fullColor;         // CV_8UC3 from color-full/
    cv::Mat depthMm;           // CV_16UC1 millimetres from depth-raw/
    cv::Mat registeredColor;   // Kinect v2: CV_8UC3 from color/
    cv::Mat colorDepthMap;     // Kinect v2: CV_32SC1 from color-map/
};

class ReplaySeries {
public:
    // Reads dir/capture.json and checks every file that the camera plays of every saved frame (all but depth/, and
    // for the Orbbec camera color/) as kestrum-series checks them before decoding, reading no more of an image
    // than its header and its closing marker: present, regular, of an exact or plausible size, complete, with the
    // size and pixel type capture.json promises. Keeps none of them. A series of another camera, without a
    // readable capture.json, with one that no run could have written, without saved frames, or with a missing or
    // damaged file throws ReplayError. variableName names the setting in messages. Where the series has a
    // timing file, it must hold the saved frames in order, every line readable.
    ReplaySeries(const std::string& variableName, const std::string& dir, SeriesCamera camera);

    const SeriesDescription& description() const { return description_; }

    // The recorded times, where the series has a timing file; then they pace the frames instead of the
    // camera's rate, and stamp them instead of its clock.
    const std::optional<RecordedTimeline>& timeline() const { return timeline_; }

    // Recorded frame number % savedFrames, read from its files and decoded now, only its full colour image when
    // colorOnly; nothing, after a warning line on standard error, when one of them fails its checks or does not
    // decode after all.
    std::optional<ReplayedFrame> frame(uint64_t number, bool colorOnly) const;

private:
    std::string setting_;
    std::string dir_;
    SeriesDescription description_;
    std::vector<FrameFileLayout> playedFiles_;   // of every frame, in the order of frameFilesOf
    std::optional<RecordedTimeline> timeline_;
};

// The series a 'replay=' setting names, or, as for any bad setting, a message on standard error and exit status 2.
// So too when the series has a timing file and a setting of the camera's rate or clock is given, which the
// recorded times would overrule.
std::shared_ptr<const ReplaySeries> replaySeriesOrExit(const Settings& settings, const std::string& variableName,
                                                       SeriesCamera camera);

} // namespace kestrum_sim
