// The doctor's findings about the USB bus.
#include "UsbFindings.h"

#include "CameraOnBus.h"

namespace {

const std::string kUsb3Fix = "plug it into a USB 3 port";

// A finding about a camera on the bus is a problem only where a capture fails by it: always when the
// programs find no camera, never when they use a camera of the other kind, and for the kind they use
// when its check did not get as far as grabbing frames.
Level busLevel(UsbCameraKind kind, const CameraCheck& check)
{
    const CameraKind used = foundCamera(check);
    if (used == CameraKind::None) {
        return Level::Problem;
    }
    if ((kind == UsbCameraKind::Orbbec) != (used == CameraKind::Orbbec)) {
        return Level::Note;
    }
    const bool grabbed = used == CameraKind::Orbbec ? check.orbbec.result == OrbbecCheck::Result::Grabbed
                                                    : check.kinect.result == KinectCheck::Result::Grabbed;
    return grabbed ? Level::Note : Level::Problem;
}

// The Orbbec camera's profiles at USB 2 decide the level: started, not started, or not known.
Finding slowOrbbecFinding(const UsbCamera& camera, const OrbbecCheck& orbbec)
{
    const std::string head = describeUsbCamera(camera) + " runs at " + describeSpeed(camera.speed);
    const std::string profiles = "the 1280x720 profiles at 30 fps that the programs need";
    if (orbbec.started) {
        return {Level::Note, Topic::Usb, head + "; it still offers " + profiles,
                kUsb3Fix + ", where its streams have bandwidth to spare"};
    }
    if (orbbec.opened) {
        return {Level::Problem, Topic::Usb, head + ", where it does not offer " + profiles, kUsb3Fix};
    }
    return {Level::Note, Topic::Usb, head + ", where it may not offer " + profiles, kUsb3Fix};
}

Finding accessFinding(const UsbCamera& camera, const UsbSurvey& survey, Level level, const std::string& userName)
{
    if (camera.access == NodeAccess::Missing) {
        return {level, Topic::Usb, describeUsbCamera(camera) + ": its device node " + camera.node + " does not exist",
                kMissingNodeFix};
    }
    return {level, Topic::Usb,
            describeUsbCamera(camera) + ": user " + userName + " may not open " + camera.node +
                " for reading and writing",
            udevRulesFix(survey, camera.kind)};
}

Finding readFailuresFinding(const std::vector<std::string>& failures)
{
    const std::string more =
        failures.size() > 1 ? " (and " + std::to_string(failures.size() - 1) + " more that cannot be read)" : "";
    return {Level::Note, Topic::Usb,
            failures.front() + more + ", so the USB lines may miss a camera; the camera lines show what the SDKs find",
            ""};
}

} // namespace

Findings usbFindings(const UsbSurvey& survey, const CameraCheck& check, const std::string& userName)
{
    if (!survey.unreadable.empty()) {
        return {{Level::Note, Topic::Usb,
                 std::string("cannot read the USB devices in ") + kUsbDevicesDir + " (" + survey.unreadable +
                     "); the camera lines show what the SDKs find",
                 ""}};
    }
    Findings findings;
    for (const UsbCamera& camera : survey.cameras) {
        if (camera.kind == UsbCameraKind::KinectHub) {
            continue;
        }
        const Level level = busLevel(camera.kind, check);
        const std::size_t before = findings.size();
        if (isBelowUsb3(camera.speed)) {
            findings.push_back(camera.kind == UsbCameraKind::Orbbec
                                   ? slowOrbbecFinding(camera, check.orbbec)
                                   : Finding{level, Topic::Usb,
                                             describeUsbCamera(camera) + " runs at " + describeSpeed(camera.speed) +
                                                 "; libfreenect2 streams from a Kinect v2 on USB 3 only",
                                             kUsb3Fix});
        }
        if (camera.access == NodeAccess::Denied || camera.access == NodeAccess::Missing) {
            findings.push_back(accessFinding(camera, survey, level, userName));
        }
        if (findings.size() == before) {
            const std::string node = camera.node.empty() ? "" : ", " + camera.node + " readable and writable";
            findings.push_back(
                {Level::Ok, Topic::Usb, describeUsbCamera(camera) + ": " + describeSpeed(camera.speed) + node, ""});
        }
    }
    if (!survey.readFailures.empty()) {
        findings.push_back(readFailuresFinding(survey.readFailures));
    }
    const bool orbbecOnBus = isOnBus(survey, UsbCameraKind::Orbbec);
    const bool kinectOnBus = isOnBus(survey, UsbCameraKind::KinectSensor);
    if (isOnBus(survey, UsbCameraKind::KinectHub) && !kinectOnBus) {
        findings.push_back({busLevel(UsbCameraKind::KinectHub, check), Topic::Usb,
                            "the Kinect v2's hub (045e:02d9) is on the USB bus, but not its sensor (045e:02c4 or "
                            "045e:02d8): the Kinect v2 has no power",
                            "connect the Kinect v2's power adapter to the mains and to its cable"});
    } else if (orbbecOnBus && kinectOnBus) {
        findings.push_back({Level::Note, Topic::Usb,
                            "an Orbbec camera and a Kinect v2 are both on the USB bus: the programs use the Orbbec "
                            "camera",
                            "unplug the camera this station does not use"});
    } else if (!orbbecOnBus && !kinectOnBus && survey.readFailures.empty()) {
        findings.push_back({foundCamera(check) == CameraKind::None ? Level::Problem : Level::Note, Topic::Usb,
                            "no Orbbec camera (USB vendor 2bc5) and no Kinect v2 (045e:02c4 or 045e:02d8) on the "
                            "USB bus",
                            "plug the camera in; a Kinect v2 needs a USB 3 port and its power adapter"});
    }
    return findings;
}
