// The capture's sequence for a Kinect v2.
#include "KinectSequence.h"

KinectSequenceEnd runKinectSequence(KinectSequenceSteps& steps)
{
    KinectDevice kinect;
    switch (kinect.open()) {
    case KinectDevice::Opening::NoDevice:
        return {KinectOpening::NoDevice, kinect.serial()};
    case KinectDevice::Opening::NotOpened:
        return {KinectOpening::NotOpened, kinect.serial()};
    case KinectDevice::Opening::Opened:
        break;
    }
    if (!kinect.start(KinectDevice::Streams::ColorInfraredDepth, KinectDevice::AfterFailedStart::Stop)) {
        return {KinectOpening::NotStarted, kinect.serial()};
    }
    libfreenect2::Freenect2Device& device = kinect.device();
    // Infrared first, as the registration takes them.
    const KinectStarted started{kinect.serial(), device.getIrCameraParams(), device.getColorCameraParams()};
    KinectFrames frames(kinect);
    steps.stream(started, frames);
    return {KinectOpening::Started, kinect.serial()};
}
