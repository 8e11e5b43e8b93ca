// Frames, the listener interface and the packet pipelines of the simulated libfreenect2.
#include <libfreenect2/frame_listener.hpp>
#include <libfreenect2/packet_pipeline.h>

#include <cstdint>

namespace libfreenect2 {

namespace {
constexpr size_t kFrameAlignment = 64;
}

Frame::Frame(size_t width, size_t height, size_t bytes_per_pixel, unsigned char* data_)
    : width(width), height(height), bytes_per_pixel(bytes_per_pixel), data(data_), timestamp(0), sequence(0),
      exposure(0.0f), gain(0.0f), gamma(0.0f), status(0), format(Invalid), rawdata(nullptr)
{
    if (data) return;
    rawdata = new unsigned char[width * height * bytes_per_pixel + kFrameAlignment];
    const uintptr_t address = reinterpret_cast<uintptr_t>(rawdata);
    data = rawdata + (kFrameAlignment - address % kFrameAlignment) % kFrameAlignment;
}

Frame::~Frame() { delete[] rawdata; }

FrameListener::~FrameListener() = default;

PacketPipeline::PacketPipeline() = default;
PacketPipeline::~PacketPipeline() = default;
CpuPacketPipeline::CpuPacketPipeline() = default;
CpuPacketPipeline::~CpuPacketPipeline() = default;

} // namespace libfreenect2
