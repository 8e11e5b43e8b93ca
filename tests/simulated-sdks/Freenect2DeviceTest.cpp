// The simulated Kinect v2 as a program meets it: complete frame sets, none lost with lossless=yes,
// then timeouts, and the counters the teardown tests rely on. (Sizes, failure settings and the
// teardown record show in the programs' tests.)
#include "kestrum_sim/Freenect2Observer.h"

#include <libfreenect2/frame_listener_impl.h>
#include <libfreenect2/libfreenect2.hpp>
#include <libfreenect2/logger.h>
#include <libfreenect2/packet_pipeline.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using libfreenect2::Frame;

namespace {

// The default device of a simulated Kinect v2 with these settings, opened.
std::unique_ptr<libfreenect2::Freenect2Device> openWith(libfreenect2::Freenect2& context, const char* settings)
{
    libfreenect2::setGlobalLogger(libfreenect2::createConsoleLogger(libfreenect2::Logger::None));
    ::setenv("KESTRUM_SIM_KINECT", settings, 1);
    kestrum_sim::rereadKinectSettings();
    context.enumerateDevices();
    return std::unique_ptr<libfreenect2::Freenect2Device>(
        context.openDevice(context.getDefaultDeviceSerialNumber(), new libfreenect2::CpuPacketPipeline));
}

} // namespace

TEST(SimulatedKinect, LosslessDeliveryHandsOutEverySetOnceThenTimesOut)
{
    libfreenect2::Freenect2 context;
    const auto device = openWith(context, "frames=3;fps=200;lossless=yes");
    ASSERT_NE(device, nullptr);
    libfreenect2::SyncMultiFrameListener listener(Frame::Color | Frame::Ir | Frame::Depth);
    device->setColorFrameListener(&listener);
    device->setIrAndDepthFrameListener(&listener);
    ASSERT_TRUE(device->start());

    libfreenect2::FrameMap frames;
    for (uint32_t sequence = 0; sequence < 3; ++sequence) {
        ASSERT_TRUE(listener.waitForNewFrame(frames, 5000)) << sequence;
        ASSERT_EQ(frames.size(), 3u);
        for (const auto& [type, frame] : frames) {
            EXPECT_EQ(frame->sequence, sequence) << type;
        }
        EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 1);
        listener.release(frames);
        EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 0);
    }
    EXPECT_FALSE(listener.waitForNewFrame(frames, 200));
    EXPECT_TRUE(device->stop());
    EXPECT_TRUE(device->close());
    EXPECT_EQ(kestrum_sim::liveDeviceFrames(), 0);
    ::unsetenv("KESTRUM_SIM_KINECT");
}
