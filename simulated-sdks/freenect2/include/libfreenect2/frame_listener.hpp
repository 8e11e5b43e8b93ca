// Frames and the listener interface of the simulated libfreenect2.
#pragma once

#include <libfreenect2/config.h>

#include <cstddef>
#include <stdint.h>

namespace libfreenect2 {

class LIBFREENECT2_API Frame {
public:
    enum Type { Color = 1, Ir = 2, Depth = 4 };
    enum Format { Invalid = 0, Raw = 1, Float = 2, BGRX = 4, RGBX = 5, Gray = 6 };

    size_t width;
    size_t height;
    size_t bytes_per_pixel;
    unsigned char* data;
    uint32_t timestamp; // 0.125 ms units
    uint32_t sequence;
    float exposure;
    float gain;
    float gamma;
    uint32_t status;
    Format format;

    // Allocates width * height * bytes_per_pixel bytes (64-byte aligned) when data_ is null.
    Frame(size_t width, size_t height, size_t bytes_per_pixel, unsigned char* data_ = NULL);
    virtual ~Frame();
    // Copying would free the buffer twice; code that compiles here never copies a frame.
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

protected:
    unsigned char* rawdata;
};

class LIBFREENECT2_API FrameListener {
public:
    virtual ~FrameListener();
    // Returns true when the listener takes ownership of the frame.
    virtual bool onNewFrame(Frame::Type type, Frame* frame) = 0;
};

} // namespace libfreenect2
