// The photo or live stream from a Kinect v2.
#include "KinectPhoto.h"

#include "Freenect2StderrLog.h"
#include "FrameOutput.h"
#include "KinectDevice.h"
#include "MessageLine.h"
#include "PhotoExitCodes.h"
#include "PhotoOutcome.h"
#include "StopSignal.h"

#include <libfreenect2/frame_listener_impl.h>
#include <libfreenect2/libfreenect2.hpp>
#include <libfreenect2/packet_pipeline.h>

#include <opencv2/imgproc.hpp>

#include <exception>
#include <iostream>
#include <memory>
#include <string>

namespace {

// One waited-for frame set; it goes back to the listener when the scope ends,
// so that also a frame whose handling throws is released before the device stops.
class DeliveredFrames {
public:
    explicit DeliveredFrames(libfreenect2::SyncMultiFrameListener& listener) : listener_(listener) {}
    ~DeliveredFrames()
    {
        if (delivered_) {
            listener_.release(frames_);
        }
    }
    DeliveredFrames(const DeliveredFrames&) = delete;
    DeliveredFrames& operator=(const DeliveredFrames&) = delete;

    // False when no frame set came within the time.
    bool waitFor(int timeoutMs)
    {
        delivered_ = listener_.waitForNewFrame(frames_, timeoutMs);
        return delivered_;
    }

    const libfreenect2::Frame* color() const
    {
        const auto found = frames_.find(libfreenect2::Frame::Color);
        return found == frames_.end() ? nullptr : found->second;
    }

private:
    libfreenect2::SyncMultiFrameListener& listener_;
    libfreenect2::FrameMap frames_;
    bool delivered_ = false;
};

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
    // The library's default logger writes Info lines to standard output, into the stream.
    kestrum::routeFreenect2LogToStandardError();
    libfreenect2::Freenect2 context;
    if (context.enumerateDevices() == 0) {
        writeLine(std::cerr, "Keine Kinect v2 gefunden.");
        return kExitNoCamera;
    }
    const std::string serial = context.getDefaultDeviceSerialNumber();
    // Declared before the device: the device must stop delivering before its listener goes.
    std::unique_ptr<libfreenect2::SyncMultiFrameListener> listener;
    // openDevice takes the pipeline over, whether it succeeds or not.
    KinectDevice device(context.openDevice(serial, new libfreenect2::CpuPacketPipeline()));
    if (!device.isOpen()) {
        writeLine(std::cerr, "Kinect konnte nicht geöffnet werden.");
        return kExitKinectNotOpened;
    }
    listener = std::make_unique<libfreenect2::SyncMultiFrameListener>(libfreenect2::Frame::Color);
    device->setColorFrameListener(listener.get());
    if (!device.startColor()) {
        writeLine(std::cerr, "Kinect-Farbstream konnte nicht gestartet werden.");
        return kExitKinectNotStarted;
    }

    const int timeoutMs = static_cast<int>(options.stream ? kStreamFrameWaitMs : kPhotoFrameWaitMs);
    bool outputWritten = false;
    for (int32_t index = 0;; index = nextFrameIndex(index)) {
        if (options.stream && stopRequested != 0) {
            break;
        }
        DeliveredFrames frames(*listener);
        if (!frames.waitFor(timeoutMs)) {
            if (options.stream && stopRequested != 0) {
                break;
            }
            writeLine(std::cerr, "Timeout beim Warten auf Kinect-Farbbild.");
            return kExitNoOutput;
        }
        bool goOn = true;
        if (const libfreenect2::Frame* color = frames.color()) {
            goOn = handleFrame(bgrImage(*color), options.stream, index, options.outputPath, outputWritten);
        }
        if (options.stream ? (stopRequested != 0 || !goOn) : index >= kPhotoFrameIndex) {
            break;
        }
    }
    device.shutDown();
    return reportOutcome(options, outputWritten, stopRequested != 0);
}

} // namespace

int runKinect(const PhotoOptions& options)
{
    try {
        return runKinectColor(options);
    } catch (const std::exception& error) {
        // Reached only after the device has been stopped, closed and freed.
        writeLine(std::cerr, "Kinect-Fehler: " + singleLineMessage(error));
        return kExitKinectError;
    }
}
