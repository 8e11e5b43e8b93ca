// A recorded test series held in memory as a simulated camera plays it back.
#pragma once

#include "SeriesDescription.h"

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

// One recorded frame, decoded.
struct ReplayedFrame {
    cv::Mat fullColor;         // CV_8UC3 from color-full/
    cv::Mat depthMm;           // CV_16UC1 millimetres from depth-raw/
    cv::Mat registeredColor;   // Kinect v2: CV_8UC3 from color/
    cv::Mat colorDepthMap;     // Kinect v2: CV_32SC1 from color-map/
};

class ReplaySeries {
public:
    // Reads dir/capture.json and every file of every saved frame, checked as kestrum-series checks them before
    // decoding (present, regular, exact or plausible sizes, end markers, image headers), and keeps them
    // compressed. A series of another camera, without a readable capture.json or without saved frames, or with
    // a missing or damaged file throws ReplayError. variableName names the setting in messages.
    ReplaySeries(const std::string& variableName, const std::string& dir, SeriesCamera camera);

    const SeriesDescription& description() const { return description_; }
    size_t frameCount() const { return frames_.size(); }

    // Frame number % frameCount() decoded, only its full colour image when colorOnly; nothing, after a warning line
    // on standard error, when one of its files does not decode after all.
    std::optional<ReplayedFrame> frame(uint64_t number, bool colorOnly) const;

private:
    // The files of one frame in the order of frameFilesOf: images as they are on disk, binary files as PNG.
    using StoredFrame = std::vector<std::vector<uint8_t>>;

    std::string setting_;
    std::string dir_;
    SeriesDescription description_;
    std::vector<StoredFrame> frames_;
};

// The series a 'replay=' setting names, or, as for any bad setting, a message on standard error and exit status 2.
std::shared_ptr<const ReplaySeries> replaySeriesOrExit(const std::string& variableName, const std::string& dir,
                                                       SeriesCamera camera);

} // namespace kestrum_sim
