// The camera as the programs find and use it, through their own camera code.
#include "CameraCheck.h"

#include "KinectCapture.h"
#include "KinectDevice.h"
#include "KinectFrameSet.h"
#include "OrbbecCapture.h"

#include <exception>
#include <memory>

namespace {

class OrbbecGrabber final : public FrameGrabber {
public:
    OrbbecGrabber(OrbbecCamera& camera, OrbbecCheck& check) : camera_(camera), check_(check) {}

    Grab grab(std::chrono::milliseconds waitLimit) override
    {
        OrbbecRgbdFrame frame;
        try {
            frame = camera_.grabAlignedRgbd(static_cast<uint32_t>(waitLimit.count()));
        } catch (const std::exception& error) {
            // The capture program's rule: a failure that speaks of a time-out is a missing frame.
            const std::string message = error.what();
            if (message.find("Timeout") == std::string::npos) {
                throw;
            }
            check_.timeoutMessage = message;
            return Grab::TimedOut;
        }
        if (frame.color.empty() || frame.depth.empty()) {
            return Grab::Incomplete;
        }
        check_.depthScale = frame.depthScale;
        return Grab::Complete;
    }

private:
    OrbbecCamera& camera_;
    OrbbecCheck& check_;
};

class KinectGrabber final : public FrameGrabber {
public:
    explicit KinectGrabber(const KinectDevice& kinect) : kinect_(kinect) {}

    Grab grab(std::chrono::milliseconds waitLimit) override
    {
        const KinectFrameSet frames(kinect_, static_cast<int>(waitLimit.count()));
        if (!frames.delivered()) {
            return Grab::TimedOut;
        }
        const bool complete = frames.frame(libfreenect2::Frame::Color) != nullptr &&
                              frames.frame(libfreenect2::Frame::Depth) != nullptr;
        return complete ? Grab::Complete : Grab::Incomplete;
    }

private:
    const KinectDevice& kinect_;
};

// The capture program's sequence: aligned colour and depth, stopped before the camera is released.
OrbbecCheck checkOrbbec(std::chrono::milliseconds grabDuration, const MonotonicClock& clock,
                        const StopCheck& isStopRequested)
{
    OrbbecCheck check;
    try {
        std::unique_ptr<OrbbecCamera> camera;
        try {
            camera = std::make_unique<OrbbecCamera>(OrbbecCamera::Mode::Rgbd);
        } catch (const std::exception& error) {
            if (std::string(error.what()) == kNoOrbbecCameraMessage) {
                return check;
            }
            throw;
        }
        check.opened = true;
        check.device = camera->deviceInfo();
        camera->start();
        check.started = true;
        check.intrinsics = camera->intrinsics();
        check.frameSync = camera->frameSyncEnabled();
        OrbbecGrabber grabber(*camera, check);
        check.grab = grabFrames(grabber, clock, {grabDuration, std::chrono::milliseconds(kOrbbecWarmupWaitMs)},
                                isStopRequested);
        camera->stop();
        check.result = OrbbecCheck::Result::Grabbed;
    } catch (const std::exception& error) {
        // The camera is stopped and released by now, as in the capture program.
        check.result = OrbbecCheck::Result::Failed;
        check.error = error.what();
    }
    return check;
}

// The capture program's sequence: colour, infrared and depth into one listener; on every way
// out the device is stopped (also after a failed start), closed, then the listener and context go.
KinectCheck checkKinect(std::chrono::milliseconds grabDuration, const MonotonicClock& clock,
                        const StopCheck& isStopRequested)
{
    KinectCheck check;
    KinectDevice kinect;
    const KinectDevice::Opening opening = kinect.open();
    check.serial = kinect.serial();
    switch (opening) {
    case KinectDevice::Opening::NoDevice:
        check.result = KinectCheck::Result::NoDevice;
        return check;
    case KinectDevice::Opening::NotOpened:
        check.result = KinectCheck::Result::NotOpened;
        return check;
    case KinectDevice::Opening::Opened:
        break;
    }
    if (!kinect.start(KinectDevice::Streams::ColorInfraredDepth, KinectDevice::AfterFailedStart::Stop)) {
        check.result = KinectCheck::Result::NotStarted;
        return check;
    }
    const libfreenect2::Freenect2Device::IrCameraParams depthCamera = kinect.device().getIrCameraParams();
    check.depthCamera = {depthCamera.fx, depthCamera.fy, depthCamera.cx, depthCamera.cy};
    KinectGrabber grabber(kinect);
    check.grab = grabFrames(grabber, clock, {grabDuration, std::chrono::milliseconds(kKinectWarmupWaitMs)},
                            isStopRequested);
    check.result = KinectCheck::Result::Grabbed;
    return check;
}

} // namespace

CameraKind foundCamera(const CameraCheck& check)
{
    if (check.orbbec.result != OrbbecCheck::Result::NotFound) {
        return CameraKind::Orbbec;
    }
    const KinectCheck::Result kinect = check.kinect.result;
    return kinect == KinectCheck::Result::NotTried || kinect == KinectCheck::Result::NoDevice ? CameraKind::None
                                                                                               : CameraKind::Kinect;
}

CameraCheck checkCameras(std::chrono::milliseconds grabDuration, const MonotonicClock& clock,
                         const StopCheck& isStopRequested)
{
    CameraCheck check;
    check.orbbec = checkOrbbec(grabDuration, clock, isStopRequested);
    if (check.orbbec.result == OrbbecCheck::Result::NotFound) {
        check.kinect = checkKinect(grabDuration, clock, isStopRequested);
    }
    return check;
}
