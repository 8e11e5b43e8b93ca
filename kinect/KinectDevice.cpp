// A Kinect v2 through libfreenect2 for one run.
#include "KinectDevice.h"

#include "Freenect2StderrLog.h"

#include <libfreenect2/packet_pipeline.h>

KinectDevice::LogOnStandardError::LogOnStandardError()
{
    kestrum::routeFreenect2LogToStandardError();
}

KinectDevice::KinectDevice() : context_(nullptr) {}

KinectDevice::~KinectDevice()
{
    shutDown();
}

KinectDevice::Opening KinectDevice::open()
{
    if (context_.enumerateDevices() <= 0) {
        return Opening::NoDevice;
    }
    serial_ = context_.getDefaultDeviceSerialNumber();
    // openDevice takes the pipeline over, whether it succeeds or not.
    device_ = context_.openDevice(serial_, new libfreenect2::CpuPacketPipeline());
    return device_ != nullptr ? Opening::Opened : Opening::NotOpened;
}

bool KinectDevice::start(Streams streams, AfterFailedStart afterFailedStart)
{
    if (streams == Streams::Color) {
        listener_ = std::make_unique<libfreenect2::SyncMultiFrameListener>(libfreenect2::Frame::Color);
        device_->setColorFrameListener(listener_.get());
        stopOnShutDown_ = device_->startStreams(true, false);
    } else {
        listener_ = std::make_unique<libfreenect2::SyncMultiFrameListener>(
            libfreenect2::Frame::Color | libfreenect2::Frame::Ir | libfreenect2::Frame::Depth);
        device_->setColorFrameListener(listener_.get());
        device_->setIrAndDepthFrameListener(listener_.get());
        stopOnShutDown_ = device_->start();
    }
    const bool started = stopOnShutDown_;
    if (!started && afterFailedStart == AfterFailedStart::Stop) {
        stopOnShutDown_ = true;
    }
    return started;
}

void KinectDevice::shutDown()
{
    if (device_ == nullptr) {
        return;
    }
    if (stopOnShutDown_) {
        device_->stop();
    }
    device_->close();
    delete device_;
    device_ = nullptr;
}
