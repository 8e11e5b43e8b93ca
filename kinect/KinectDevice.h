// KinectDevice: a Kinect v2 through libfreenect2 for one run, with the library context,
// the default device and the one listener its streams deliver to.
#pragma once

#include <libfreenect2/frame_listener_impl.h>
#include <libfreenect2/libfreenect2.hpp>

#include <memory>
#include <string>

class KinectDevice {
public:
    enum class Opening { Opened, NoDevice, NotOpened };
    // Color: the colour stream alone (startStreams, colour on, depth off).
    // ColorInfraredDepth: all three into one listener (start).
    enum class Streams { Color, ColorInfraredDepth };
    // What a failed start leaves to the way out: the capture program stops the device
    // all the same before it closes it, the photo program only closes it.
    enum class AfterFailedStart { Stop, CloseOnly };

    // Routes the library's log to standard error, then creates the context (no USB context of its own).
    KinectDevice();
    // The device is stopped (only when started, or after a failed start with Stop), closed
    // and freed; then the listener goes, the context last.
    ~KinectDevice();
    KinectDevice(const KinectDevice&) = delete;
    KinectDevice& operator=(const KinectDevice&) = delete;

    // Enumerates the devices and opens the default one with a CPU packet pipeline.
    Opening open();
    // The default device's serial number; set by open once a device was found.
    const std::string& serial() const { return serial_; }

    // After a successful open: creates the listener for these streams, attaches it and
    // starts the device; false when the device refuses.
    bool start(Streams streams, AfterFailedStart afterFailedStart);

    // The opened device, for its camera parameters.
    libfreenect2::Freenect2Device& device() const { return *device_; }
    // The listener the started streams deliver to.
    libfreenect2::SyncMultiFrameListener& listener() const { return *listener_; }

    // Stop (as above), close and free the device now rather than at the end of the scope;
    // the listener and the context stay until then.
    void shutDown();

private:
    struct LogOnStandardError {
        LogOnStandardError();
    };

    LogOnStandardError log_;  // before the context: the library's console logger writes to standard output
    libfreenect2::Freenect2 context_;
    std::string serial_;
    // Declared after the context and before the device pointer, so it goes after the device and before the context.
    std::unique_ptr<libfreenect2::SyncMultiFrameListener> listener_;
    libfreenect2::Freenect2Device* device_ = nullptr;
    bool stopOnShutDown_ = false;
};
