// The doctor's findings about the camera the programs would use.
#include "CameraFindings.h"

#include "CameraOnBus.h"
#include "KinectCaptureMessages.h"

#include <iomanip>
#include <sstream>

namespace {

const std::string kCableFix = "check the camera's USB cable and port, and replug it";

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string withDecimals(double value, int decimals)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

// The message, and where the bus shows a camera of that kind, why the SDK missed it.
Finding unreachable(const std::string& message, const UsbSurvey& survey, UsbCameraKind kind, std::string fix)
{
    const LikelyCause cause = likelyCause(survey, kind);
    if (cause.reason.empty()) {
        return {Level::Problem, Topic::Camera, message, fix};
    }
    const char* camera = kind == UsbCameraKind::Orbbec ? "; the Orbbec camera" : "; the Kinect v2";
    return {Level::Problem, Topic::Camera, message + camera + " is on the USB bus, so " + cause.reason, cause.fix};
}

// What the grab showed: a problem for every way a capture would fail or lose frames, else one ok line.
void addGrabFindings(Findings& findings, const GrabCounts& grab, const std::string& warmupTimeoutMessage,
                     const std::string& okSuffix)
{
    const std::string counted = "received " + std::to_string(grab.received()) + " frames in " +
                                std::to_string(grab.elapsedMs) + " ms";
    if (grab.stopped) {
        findings.push_back({Level::Note, Topic::Camera, "stopped by a signal: " + counted, ""});
        return;
    }
    const std::size_t before = findings.size();
    if (grab.warmupTimedOut) {
        findings.push_back({Level::Problem, Topic::Camera,
                            counted + "; a frame did not come within the warm-up's limit, which ends a capture with " +
                                quoted(warmupTimeoutMessage),
                            kCableFix});
    } else if (grab.timedOut > 0) {
        findings.push_back({Level::Problem, Topic::Camera,
                            counted + "; " + std::to_string(grab.timedOut) +
                                " waits ended without a frame after " +
                                std::to_string(kFrameWaitLimit.count()) + " ms, which a capture counts as missing frames",
                            kCableFix});
    }
    if (grab.incomplete > 0) {
        findings.push_back({Level::Problem, Topic::Camera,
                            counted + "; " + std::to_string(grab.incomplete) +
                                " of them lacked colour or depth, which a capture never saves",
                            kCableFix});
    }
    if (findings.size() == before) {
        const double perSecond = grab.elapsedMs > 0 ? grab.received() * 1000.0 / grab.elapsedMs : 0.0;
        findings.push_back(
            {Level::Ok, Topic::Camera, counted + " (" + withDecimals(perSecond, 1) + " per second)" + okSuffix, ""});
    }
}

void addOrbbecFindings(Findings& findings, const OrbbecCheck& orbbec, const UsbSurvey& survey)
{
    if (orbbec.result == OrbbecCheck::Result::NotFound) {
        if (isOnBus(survey, UsbCameraKind::Orbbec)) {
            findings.push_back(unreachable("the Orbbec SDK finds no camera (" + quoted(kNoOrbbecCameraMessage) +
                                               ", so the programs go on to the Kinect v2)",
                                           survey, UsbCameraKind::Orbbec, ""));
        }
        return;
    }
    if (!orbbec.opened) {
        findings.push_back(unreachable("the Orbbec camera cannot be opened: " + quoted(orbbec.error), survey,
                                       UsbCameraKind::Orbbec, ""));
        return;
    }
    const OrbbecDeviceInfo& device = orbbec.device;
    findings.push_back({Level::Ok, Topic::Camera,
                        "Orbbec camera " + device.name + ", serial " + device.serialNumber + ", firmware " +
                            device.firmwareVersion + ", connection " + device.connectionType,
                        ""});
    if (!orbbec.started) {
        findings.push_back({Level::Problem, Topic::Camera,
                            "the Orbbec camera does not start the streams the capture program uses: " +
                                quoted(orbbec.error),
                            "plug it into a USB 3 port; a camera model without 1280x720 colour and depth at 30 fps "
                            "cannot serve the programs"});
        return;
    }
    if (orbbec.result == OrbbecCheck::Result::Failed) {
        findings.push_back(
            {Level::Problem, Topic::Camera, "the Orbbec camera fails while streaming: " + quoted(orbbec.error), kCableFix});
        return;
    }
    addGrabFindings(findings, orbbec.grab, orbbec.timeoutMessage,
                    orbbec.frameSync ? ", frame synchronisation accepted" : "");
    if (!orbbec.frameSync) {
        findings.push_back({Level::Note, Topic::Camera,
                            "the camera refused frame synchronisation: a frame's colour and depth may be taken at "
                            "slightly different moments",
                            ""});
    }
    const OrbbecIntrinsics& camera = orbbec.intrinsics;
    findings.push_back({Level::Ok, Topic::Camera,
                        "capture.json would record depth scale " + withDecimals(orbbec.depthScale, 6) +
                            " and the colour camera's fx " + withDecimals(camera.fx, 6) + ", fy " +
                            withDecimals(camera.fy, 6) + ", cx " + withDecimals(camera.cx, 6) + ", cy " +
                            withDecimals(camera.cy, 6) + " at " + std::to_string(camera.width) + "x" +
                            std::to_string(camera.height),
                        ""});
}

void addKinectFindings(Findings& findings, const KinectCheck& kinect, const UsbSurvey& survey)
{
    switch (kinect.result) {
    case KinectCheck::Result::NotTried:
        return;
    case KinectCheck::Result::NoDevice:
        findings.push_back(unreachable("neither the Orbbec SDK nor libfreenect2 finds a camera: the programs report " +
                                           quoted(kNoKinectMessage),
                                       survey, UsbCameraKind::KinectSensor, "see the USB lines above"));
        return;
    case KinectCheck::Result::NotOpened:
        findings.push_back(unreachable("libfreenect2 finds the Kinect v2 " + kinect.serial +
                                           " but cannot open it: the programs report " +
                                           quoted(kKinectNotOpenedMessage),
                                       survey, UsbCameraKind::KinectSensor, ""));
        return;
    case KinectCheck::Result::NotStarted:
        findings.push_back({Level::Problem, Topic::Camera,
                            "the Kinect v2 " + kinect.serial + " does not start its streams: the programs report " +
                                quoted(kKinectNotStartedMessage),
                            "replug it into a USB 3 port with its power adapter connected"});
        return;
    case KinectCheck::Result::Grabbed:
        break;
    }
    findings.push_back({Level::Ok, Topic::Camera, "Kinect v2, serial " + kinect.serial + " (no Orbbec camera found)", ""});
    addGrabFindings(findings, kinect.grab, kKinectWarmupTimeoutMessage, "");
    const PinholeIntrinsics& camera = kinect.depthCamera;
    findings.push_back({Level::Ok, Topic::Camera,
                        "capture.json would record the depth camera's fx " + withDecimals(camera.fx, 3) + ", fy " +
                            withDecimals(camera.fy, 3) + ", cx " + withDecimals(camera.cx, 3) + ", cy " +
                            withDecimals(camera.cy, 3),
                        ""});
}

} // namespace

Findings cameraFindings(const CameraCheck& check, const UsbSurvey& survey)
{
    Findings findings;
    addOrbbecFindings(findings, check.orbbec, survey);
    addKinectFindings(findings, check.kinect, survey);
    return findings;
}
