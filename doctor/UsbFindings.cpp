// The doctor's findings about the USB bus.
#include "UsbFindings.h"

#include "CameraOnBus.h"

namespace {

const std::string kUsb3Fix = "plug it into a USB 3 port";

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

Finding accessFinding(const UsbCamera& camera, const std::string& userName)
{
    if (camera.access == NodeAccess::Missing) {
        return {Level::Problem, Topic::Usb,
                describeUsbCamera(camera) + ": its device node " + camera.node + " does not exist",
                "run the programs where udev provides /dev/bus/usb (a container needs the USB devices passed in)"};
    }
    return {Level::Problem, Topic::Usb,
            describeUsbCamera(camera) + ": user " + userName + " may not open " + camera.node +
                " for reading and writing",
            udevRulesFix(camera.kind)};
}

} // namespace

Findings usbFindings(const UsbSurvey& survey, const OrbbecCheck& orbbec, const std::string& userName)
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
        const std::size_t before = findings.size();
        if (isBelowUsb3(camera.speed)) {
            findings.push_back(camera.kind == UsbCameraKind::Orbbec
                                   ? slowOrbbecFinding(camera, orbbec)
                                   : Finding{Level::Problem, Topic::Usb,
                                             describeUsbCamera(camera) + " runs at " + describeSpeed(camera.speed) +
                                                 "; libfreenect2 streams from a Kinect v2 on USB 3 only",
                                             kUsb3Fix});
        }
        if (camera.access != NodeAccess::ReadWrite) {
            findings.push_back(accessFinding(camera, userName));
        }
        if (findings.size() == before) {
            findings.push_back({Level::Ok, Topic::Usb,
                                describeUsbCamera(camera) + ": " + describeSpeed(camera.speed) + ", " + camera.node +
                                    " readable and writable",
                                ""});
        }
    }
    const bool orbbecOnBus = isOnBus(survey, UsbCameraKind::Orbbec);
    const bool kinectOnBus = isOnBus(survey, UsbCameraKind::KinectSensor);
    if (isOnBus(survey, UsbCameraKind::KinectHub) && !kinectOnBus) {
        findings.push_back({Level::Problem, Topic::Usb,
                            "the Kinect v2's hub (045e:02d9) is on the USB bus, but not its sensor (045e:02c4 or "
                            "045e:02d8): the Kinect v2 has no power",
                            "connect the Kinect v2's power adapter to the mains and to its cable"});
    } else if (orbbecOnBus && kinectOnBus) {
        findings.push_back({Level::Note, Topic::Usb,
                            "an Orbbec camera and a Kinect v2 are both on the USB bus: the programs use the Orbbec "
                            "camera",
                            "unplug the camera this station does not use"});
    } else if (!orbbecOnBus && !kinectOnBus) {
        findings.push_back({Level::Problem, Topic::Usb,
                            "no Orbbec camera (USB vendor 2bc5) and no Kinect v2 (045e:02c4 or 045e:02d8) on the "
                            "USB bus",
                            "plug the camera in; a Kinect v2 needs a USB 3 port and its power adapter"});
    }
    return findings;
}
