// The camera as the programs find and use it, through the capture's own camera sequences.
#include "CameraCheck.h"

#include "KinectSequence.h"
#include "OrbbecSequence.h"

#include <exception>

namespace {

// The grab either camera gets: this long, on this clock, unless a stop request ends it.
struct GrabRun {
    std::chrono::milliseconds duration;
    const MonotonicClock& clock;
    const StopCheck& isStopRequested;

    GrabCounts operator()(FrameGrabber& grabber, std::chrono::milliseconds warmupWait) const
    {
        return grabFrames(grabber, clock, {duration, warmupWait}, isStopRequested);
    }
};

// Notes how far the camera got, then grabs with the warm-up's limit first.
class OrbbecChecker final : public OrbbecSequenceSteps, FrameGrabber {
public:
    OrbbecChecker(OrbbecCheck& check, const GrabRun& run) : check_(check), run_(run) {}

    void opened(const OrbbecCamera& camera) override
    {
        check_.opened = true;
        check_.device = camera.deviceInfo();
    }

    void started(const OrbbecCamera& camera) override
    {
        check_.started = true;
        check_.intrinsics = camera.intrinsics();
        check_.frameSync = camera.frameSyncEnabled();
    }

    void stream(OrbbecFrames& frames) override
    {
        frames_ = &frames;
        check_.grab = run_(*this, kOrbbecWarmupWait);
    }

    Grab grab(std::chrono::milliseconds waitLimit) override
    {
        const OrbbecGrab taken = frames_->grab(waitLimit);
        if (taken.outcome == Grab::TimedOut) {
            check_.timeoutMessage = taken.timeoutMessage;
        } else if (taken.outcome == Grab::Complete) {
            check_.depthScale = taken.frame.depthScale;
        }
        return taken.outcome;
    }

private:
    OrbbecCheck& check_;
    const GrabRun& run_;
    OrbbecFrames* frames_ = nullptr;
};

class KinectChecker final : public KinectSequenceSteps, FrameGrabber {
public:
    KinectChecker(KinectCheck& check, const GrabRun& run) : check_(check), run_(run) {}

    void stream(const KinectStarted& kinect, KinectFrames& frames) override
    {
        const libfreenect2::Freenect2Device::IrCameraParams& depth = kinect.depthCamera;
        check_.depthCamera = {depth.fx, depth.fy, depth.cx, depth.cy};
        frames_ = &frames;
        check_.grab = run_(*this, kKinectWarmupWait);
    }

    Grab grab(std::chrono::milliseconds waitLimit) override { return KinectGrab(*frames_, waitLimit).outcome(); }

private:
    KinectCheck& check_;
    const GrabRun& run_;
    const KinectFrames* frames_ = nullptr;
};

OrbbecCheck checkOrbbec(const GrabRun& run)
{
    OrbbecCheck check;
    OrbbecChecker checker(check, run);
    try {
        if (runOrbbecSequence(checker)) {
            check.result = OrbbecCheck::Result::Grabbed;
        }
    } catch (const std::exception& error) {
        // The camera is stopped and released by now, as in the capture program.
        check.result = OrbbecCheck::Result::Failed;
        check.error = error.what();
    }
    return check;
}

KinectCheck::Result resultOf(KinectOpening opening)
{
    switch (opening) {
    case KinectOpening::NoDevice:
        return KinectCheck::Result::NoDevice;
    case KinectOpening::NotOpened:
        return KinectCheck::Result::NotOpened;
    case KinectOpening::NotStarted:
        return KinectCheck::Result::NotStarted;
    case KinectOpening::Started:
        break;
    }
    return KinectCheck::Result::Grabbed;
}

KinectCheck checkKinect(const GrabRun& run)
{
    KinectCheck check;
    KinectChecker checker(check, run);
    const KinectSequenceEnd end = runKinectSequence(checker);
    check.serial = end.serial;
    check.result = resultOf(end.opening);
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
    const GrabRun run{grabDuration, clock, isStopRequested};
    CameraCheck check;
    check.orbbec = checkOrbbec(run);
    if (check.orbbec.result == OrbbecCheck::Result::NotFound) {
        check.kinect = checkKinect(run);
    }
    return check;
}
