// Owns an opened Kinect v2 device: whatever way the run ends, a streaming
// device is stopped, then closed and freed.
#pragma once

#include <libfreenect2/libfreenect2.hpp>

class KinectDevice {
public:
    // Takes over what openDevice returned; null means it could not be opened.
    explicit KinectDevice(libfreenect2::Freenect2Device* device);
    ~KinectDevice();
    KinectDevice(const KinectDevice&) = delete;
    KinectDevice& operator=(const KinectDevice&) = delete;

    bool isOpen() const { return device_ != nullptr; }
    libfreenect2::Freenect2Device* operator->() const { return device_; }

    // Starts the colour stream only; false when the device refuses.
    bool startColor();
    // Stop (when streaming), close and free now rather than at the end of the scope.
    void shutDown();

private:
    libfreenect2::Freenect2Device* device_;
    bool streaming_ = false;
};
