// Context and device of the simulated libfreenect2: a Kinect v2 stand-in driven by KESTRUM_SIM_KINECT.
#pragma once

#include <libfreenect2/config.h>
#include <libfreenect2/frame_listener.hpp>
#include <libfreenect2/packet_pipeline.h>

#include <memory>
#include <string>

namespace libfreenect2 {

class LIBFREENECT2_API Freenect2Device {
public:
    struct ColorCameraParams {
        float fx, fy, cx, cy;
        // Depth-to-colour extrinsics; shift_m is the camera baseline in millimetres.
        float shift_d, shift_m;
        float mx_x3y0, mx_x0y3, mx_x2y1, mx_x1y2, mx_x2y0, mx_x0y2, mx_x1y1, mx_x1y0, mx_x0y1, mx_x0y0;
        float my_x3y0, my_x0y3, my_x2y1, my_x1y2, my_x2y0, my_x0y2, my_x1y1, my_x1y0, my_x0y1, my_x0y0;
    };

    struct IrCameraParams {
        float fx, fy, cx, cy;
        float k1, k2, k3; // radial distortion
        float p1, p2;     // tangential distortion
    };

    virtual ~Freenect2Device();

    virtual std::string getSerialNumber() = 0;
    virtual std::string getFirmwareVersion() = 0;
    virtual ColorCameraParams getColorCameraParams() = 0;
    virtual IrCameraParams getIrCameraParams() = 0;

    virtual void setColorFrameListener(FrameListener* rgb_frame_listener) = 0;
    virtual void setIrAndDepthFrameListener(FrameListener* ir_frame_listener) = 0;

    virtual bool start() = 0;
    virtual bool startStreams(bool rgb, bool depth) = 0;
    virtual bool stop() = 0;
    virtual bool close() = 0;
};

class Freenect2Impl;

class LIBFREENECT2_API Freenect2 {
public:
    explicit Freenect2(void* usb_context = 0);
    virtual ~Freenect2();
    Freenect2(const Freenect2&) = delete;
    Freenect2& operator=(const Freenect2&) = delete;

    int enumerateDevices();
    // Empty when there is no such device.
    std::string getDeviceSerialNumber(int idx);
    std::string getDefaultDeviceSerialNumber();

    // The pipeline is taken over (deleted) in every case; the caller deletes the
    // returned device after close(). Null when the device cannot be opened.
    Freenect2Device* openDevice(const std::string& serial);
    Freenect2Device* openDevice(const std::string& serial, const PacketPipeline* factory);

private:
    std::unique_ptr<Freenect2Impl> impl_;
};

} // namespace libfreenect2
