// The photo or live stream from a Kinect v2.
#include "KinectPhoto.h"

#include "FrameOutput.h"
#include "LineWriter.h"
#include "KinectDevice.h"
#include "KinectFrameSet.h"
#include "MessageLine.h"
#include "PhotoExitCodes.h"
#include "PhotoOutcome.h"
#include "StopSignal.h"

#include <libfreenect2/frame_listener.hpp>

#include <opencv2/imgproc.hpp>

#include <exception>
#include <string>

namespace {

// The Kinect v2 delivers blue, green, red and an unused byte per pixel.
cv::Mat bgrImage(const libfreenect2::Frame& frame)
{
    const cv::Mat bgrx(static_cast<int>(frame.height), static_cast<int>(frame.width), CV_8UC4, frame.data);
    cv::Mat bgr;
    cv::cvtColor(bgrx, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

int runKinectColor(const PhotoOptions& options)
{
    // Whatever way this ends, the device stops (when streaming) and closes before its listener goes, the context last.
    KinectDevice kinect;
    switch (kinect.open()) {
    case KinectDevice::Opening::NoDevice:
        writeLine(kStandardError, "Keine Kinect v2 gefunden.");
        return kExitNoCamera;
    case KinectDevice::Opening::NotOpened:
        writeLine(kStandardError, "Kinect konnte nicht geöffnet werden.");
        return kExitKinectNotOpened;
    case KinectDevice::Opening::Opened:
        break;
    }
    if (!kinect.start(KinectDevice::Streams::Color, KinectDevice::AfterFailedStart::CloseOnly)) {
        writeLine(kStandardError, "Kinect-Farbstream konnte nicht gestartet werden.");
        return kExitKinectNotStarted;
    }

    const int timeoutMs = static_cast<int>(options.stream ? kStreamFrameWaitMs : kPhotoFrameWaitMs);
    bool outputWritten = false;
    for (int32_t index = 0;; index = nextFrameIndex(index)) {
        if (options.stream && stopRequested != 0) {
            break;
        }
        const KinectFrameSet frames(kinect, timeoutMs);
        if (!frames.delivered()) {
            if (options.stream && stopRequested != 0) {
                break;
            }
            writeLine(kStandardError, "Timeout beim Warten auf Kinect-Farbbild.");
            return kExitNoOutput;
        }
        bool goOn = true;
        if (const libfreenect2::Frame* color = frames.frame(libfreenect2::Frame::Color)) {
            goOn = handleFrame(bgrImage(*color), options.stream, index, options.outputPath, outputWritten);
        }
        if (options.stream ? (stopRequested != 0 || !goOn) : index >= kPhotoFrameIndex) {
            break;
        }
    }
    kinect.shutDown();
    return reportOutcome(options, outputWritten, stopRequested != 0);
}

} // namespace

int runKinect(const PhotoOptions& options)
{
    try {
        return runKinectColor(options);
    } catch (const std::exception& error) {
        // Reached only after the device has been stopped, closed and freed.
        writeLine(kStandardError, "Kinect-Fehler: " + kestrum::oneLine(error.what()));
        return kExitKinectError;
    }
}
