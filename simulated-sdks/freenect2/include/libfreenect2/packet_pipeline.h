// Packet pipelines of the simulated libfreenect2: only their ownership matters here.
#pragma once

#include <libfreenect2/config.h>

namespace libfreenect2 {

class LIBFREENECT2_API PacketPipeline {
public:
    PacketPipeline();
    virtual ~PacketPipeline();
    PacketPipeline(const PacketPipeline&) = delete;
    PacketPipeline& operator=(const PacketPipeline&) = delete;
};

class LIBFREENECT2_API CpuPacketPipeline : public PacketPipeline {
public:
    CpuPacketPipeline();
    virtual ~CpuPacketPipeline();
};

} // namespace libfreenect2
