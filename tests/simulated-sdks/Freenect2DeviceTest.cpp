// The simulated Kinect v2 as a program meets it: frame set delivery and timeouts, and
// the guard against a listener destroyed too early. (Attaching, the serial number,
// the failure settings and the teardown record are checked by the programs' tests.)
#include "kestrum_sim/Freenect2Observer.h"

#include <libfreenect2/frame_listener_impl.h>
#include <libfreenect2/libfreenect2.hpp>
#include <libfreenect2/logger.h>
#include <libfreenect2/packet_pipeline.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using libfreenect2::Frame;
using libfreenect2::FrameMap;

namespace {

// Generous: the suite also runs under emulation and sanitizers.
constexpr int kWaitMs = 5000;

class SimulatedKinectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        libfreenect2::setGlobalLogger(libfreenect2::createConsoleLogger(libfreenect2::Logger::None));
    }

    void TearDown() override
    {
        device_.reset();
        ::unsetenv("KESTRUM_SIM_KINECT");
        kestrum_sim::rereadKinectSettings();
    }

    // Attaches cameras with these settings and opens the default one (null if that fails).
    libfreenect2::Freenect2Device* openWith(const std::string& settings)
    {
        ::setenv("KESTRUM_SIM_KINECT", settings.c_str(), 1);
        kestrum_sim::rereadKinectSettings();
        kestrum_sim::clearFreenect2Events();
        context_ = std::make_unique<libfreenect2::Freenect2>();
        if (context_->enumerateDevices() == 0) return nullptr;
        device_.reset(
            context_->openDevice(context_->getDefaultDeviceSerialNumber(), new libfreenect2::CpuPacketPipeline));
        return device_.get();
    }

    std::unique_ptr<libfreenect2::Freenect2> context_;
    std::unique_ptr<libfreenect2::Freenect2Device> device_;
};

} // namespace

TEST_F(SimulatedKinectTest, DeliversCompleteSetsOfTheRealSizesInOrderThenTimesOut)
{
    libfreenect2::Freenect2Device* device = openWith("frames=3;fps=60");
    ASSERT_NE(device, nullptr);
    libfreenect2::SyncMultiFrameListener listener(Frame::Color | Frame::Ir | Frame::Depth);
    device->setColorFrameListener(&listener);
    device->setIrAndDepthFrameListener(&listener);
    ASSERT_TRUE(device->start());

    FrameMap frames;
    long lastSequence = -1;
    // Generous first wait (emulation, sanitizers); later sets may be overtaken by newer ones.
    for (int waitMs = kWaitMs; listener.waitForNewFrame(frames, waitMs); waitMs = 1000) {
        ASSERT_EQ(frames.size(), 3u);
        const Frame* color = frames[Frame::Color];
        EXPECT_EQ(color->width * color->height * color->bytes_per_pixel, 1920u * 1080u * 4u);
        EXPECT_EQ(color->format, Frame::BGRX);
        for (Frame::Type type : {Frame::Ir, Frame::Depth}) {
            EXPECT_EQ(frames[type]->width, 512u);
            EXPECT_EQ(frames[type]->height, 424u);
            EXPECT_EQ(frames[type]->bytes_per_pixel, 4u);
            EXPECT_EQ(frames[type]->sequence, color->sequence);
        }
        EXPECT_GT(static_cast<long>(color->sequence), lastSequence);
        lastSequence = color->sequence;
        EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 1);
        listener.release(frames);
    }
    EXPECT_TRUE(frames.empty());
    EXPECT_GE(lastSequence, 0);
    EXPECT_LE(lastSequence, 2);
    EXPECT_FALSE(listener.hasNewFrame());
    EXPECT_TRUE(device->stop());
    EXPECT_TRUE(device->close());
    EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 0);
}

TEST_F(SimulatedKinectTest, DestroyingAListenerWhileTheDeviceStreamsToItIsALoudFailure)
{
    EXPECT_DEATH(
        {
            libfreenect2::Freenect2Device* device = openWith("attached");
            auto listener = std::make_unique<libfreenect2::SyncMultiFrameListener>(Frame::Color);
            device->setColorFrameListener(listener.get());
            device->startStreams(true, false);
            listener.reset();
        },
        "listener was destroyed while a device still streams to it");
}
