// Owns an opened Kinect v2 device.
#include "KinectDevice.h"

KinectDevice::KinectDevice(libfreenect2::Freenect2Device* device) : device_(device) {}

KinectDevice::~KinectDevice()
{
    shutDown();
}

bool KinectDevice::startColor()
{
    streaming_ = device_->startStreams(true, false);
    return streaming_;
}

void KinectDevice::shutDown()
{
    if (device_ == nullptr) {
        return;
    }
    if (streaming_) {
        device_->stop();
    }
    device_->close();
    delete device_;
    device_ = nullptr;
}
