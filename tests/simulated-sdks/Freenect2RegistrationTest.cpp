// The simulated registration on frames from the simulated device: the colour-to-depth
// map, the registered colour it names, invalid depth and the occlusion filter.
#include "kestrum_sim/Freenect2Observer.h"
#include "kestrum_sim/Scene.h"

#include <libfreenect2/frame_listener_impl.h>
#include <libfreenect2/libfreenect2.hpp>
#include <libfreenect2/logger.h>
#include <libfreenect2/registration.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using libfreenect2::Frame;

namespace {

constexpr size_t kDepthPixels = 512 * 424;
constexpr int kColorPixels = 1920 * 1080;

struct Registered {
    std::unique_ptr<Frame> undistorted = std::make_unique<Frame>(512, 424, 4);
    std::unique_ptr<Frame> color = std::make_unique<Frame>(512, 424, 4);
    std::vector<int> map = std::vector<int>(kDepthPixels, -1);

    float depthAt(size_t pixel) const { return reinterpret_cast<const float*>(undistorted->data)[pixel]; }
    const unsigned char* colorAt(size_t pixel) const { return color->data + pixel * 4; }
};

// One frame set of the simulated camera, registered with and without the filter.
class SimulatedRegistrationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        libfreenect2::setGlobalLogger(libfreenect2::createConsoleLogger(libfreenect2::Logger::None));
        ::setenv("KESTRUM_SIM_KINECT", "frames=1", 1);
        kestrum_sim::rereadKinectSettings();
        libfreenect2::Freenect2 context;
        ASSERT_EQ(context.enumerateDevices(), 1);
        std::unique_ptr<libfreenect2::Freenect2Device> device(
            context.openDevice(context.getDefaultDeviceSerialNumber(), new libfreenect2::CpuPacketPipeline));
        libfreenect2::SyncMultiFrameListener listener(Frame::Color | Frame::Ir | Frame::Depth);
        device->setColorFrameListener(&listener);
        device->setIrAndDepthFrameListener(&listener);
        ASSERT_TRUE(device->start());
        libfreenect2::FrameMap frames;
        ASSERT_TRUE(listener.waitForNewFrame(frames, 10000));
        const libfreenect2::Freenect2Device::IrCameraParams ir = device->getIrCameraParams();
        const libfreenect2::Registration registration(ir, device->getColorCameraParams());
        pinholeDepth_.resize(kDepthPixels);
        kestrum_sim::renderDepthMm(frames[Frame::Depth]->sequence, {ir.fx, ir.fy, ir.cx, ir.cy, 512, 424, 0.0},
                                   pinholeDepth_.data());
        rgb_ = std::make_unique<Frame>(1920, 1080, 4);
        std::memcpy(rgb_->data, frames[Frame::Color]->data, static_cast<size_t>(kColorPixels) * 4);
        filtered_ = std::make_unique<Registered>();
        unfiltered_ = std::make_unique<Registered>();
        registration.apply(frames[Frame::Color], frames[Frame::Depth], filtered_->undistorted.get(),
                           filtered_->color.get(), true, nullptr, filtered_->map.data());
        registration.apply(frames[Frame::Color], frames[Frame::Depth], unfiltered_->undistorted.get(),
                           unfiltered_->color.get(), false, nullptr, unfiltered_->map.data());
        listener.release(frames);
        device->stop();
        device->close();
        ::unsetenv("KESTRUM_SIM_KINECT");
        kestrum_sim::rereadKinectSettings();
    }

    static void TearDownTestSuite()
    {
        rgb_.reset();
        filtered_.reset();
        unfiltered_.reset();
    }

    static bool isPlateColour(const unsigned char* bgr)
    {
        const kestrum_sim::ScenePlate plate = kestrum_sim::scenePlates(0).back();
        return bgr[0] == plate.blue && bgr[1] == plate.green && bgr[2] == plate.red;
    }

    static std::unique_ptr<Frame> rgb_;
    static std::vector<float> pinholeDepth_; // the scene as an ideal camera with the IR intrinsics sees it
    static std::unique_ptr<Registered> filtered_;
    static std::unique_ptr<Registered> unfiltered_;
};

std::unique_ptr<Frame> SimulatedRegistrationTest::rgb_;
std::vector<float> SimulatedRegistrationTest::pinholeDepth_;
std::unique_ptr<Registered> SimulatedRegistrationTest::filtered_;
std::unique_ptr<Registered> SimulatedRegistrationTest::unfiltered_;

} // namespace

TEST_F(SimulatedRegistrationTest, MapEntriesAreUntouchedOrInsideTheColourImageAndNameTheRegisteredColour)
{
    ASSERT_TRUE(rgb_);
    size_t mapped = 0;
    size_t invalid = 0;
    for (size_t pixel = 0; pixel < kDepthPixels; ++pixel) {
        const int target = unfiltered_->map[pixel];
        ASSERT_GE(target, -1);
        ASSERT_LT(target, kColorPixels);
        EXPECT_EQ(filtered_->map[pixel], target) << "the filter hides colour, it does not unmap";
        if (unfiltered_->depthAt(pixel) <= 0.0f) {
            ++invalid;
            ASSERT_EQ(target, -1) << "invalid depth maps to nothing: " << pixel;
            const unsigned char* bgr = unfiltered_->colorAt(pixel);
            ASSERT_EQ(bgr[0] | bgr[1] | bgr[2], 0) << pixel;
        }
        if (target < 0) continue;
        ++mapped;
        ASSERT_EQ(std::memcmp(unfiltered_->colorAt(pixel), rgb_->data + static_cast<size_t>(target) * 4, 4), 0)
            << "depth pixel " << pixel << " maps to colour pixel " << target;
        const unsigned char* filtered = filtered_->colorAt(pixel);
        const bool hidden = filtered[0] == 0 && filtered[1] == 0 && filtered[2] == 0;
        ASSERT_TRUE(hidden || std::memcmp(filtered, rgb_->data + static_cast<size_t>(target) * 4, 4) == 0) << pixel;
    }
    EXPECT_GT(mapped, kDepthPixels / 2);
    // The border of invalid depth is at least one pixel wide all round.
    EXPECT_GE(invalid, 2 * (512 + 424) - 4u);
    EXPECT_EQ(unfiltered_->depthAt(0), 0.0f);
}

// The raw depth comes through the IR lens; undistorted, it is the pinhole image again
// but for pixels at edges, where two roundings may pick the neighbour.
TEST_F(SimulatedRegistrationTest, UndistortedDepthIsThePinholeImageOfTheScene)
{
    ASSERT_TRUE(rgb_);
    size_t differing = 0;
    for (size_t pixel = 0; pixel < kDepthPixels; ++pixel)
        differing += unfiltered_->depthAt(pixel) != pinholeDepth_[pixel];
    EXPECT_LT(differing, kDepthPixels / 200);
}

// With a wrong baseline or a missed undistortion, the plate's colour lands beside its depth.
TEST_F(SimulatedRegistrationTest, ThePlateDepthGetsThePlateColourAndTheFilterRemovesItFromTheWallBeside)
{
    ASSERT_TRUE(rgb_);
    const float plateMm = static_cast<float>(kestrum_sim::scenePlates(0).back().distanceMm);
    size_t plateInterior = 0;
    size_t plateColourOnWallUnfiltered = 0;
    for (int row = 1; row + 1 < 424; ++row) {
        for (int column = 1; column + 1 < 512; ++column) {
            const size_t pixel = static_cast<size_t>(row) * 512 + column;
            const bool plateAround =
                unfiltered_->depthAt(pixel - 1) == plateMm && unfiltered_->depthAt(pixel + 1) == plateMm &&
                unfiltered_->depthAt(pixel - 512) == plateMm && unfiltered_->depthAt(pixel + 512) == plateMm;
            if (plateAround && unfiltered_->depthAt(pixel) == plateMm) {
                ++plateInterior;
                EXPECT_TRUE(isPlateColour(filtered_->colorAt(pixel))) << "row " << row << " column " << column;
            }
            if (unfiltered_->depthAt(pixel) == static_cast<float>(kestrum_sim::kWallDistanceMm)) {
                plateColourOnWallUnfiltered += isPlateColour(unfiltered_->colorAt(pixel));
                EXPECT_FALSE(isPlateColour(filtered_->colorAt(pixel))) << "row " << row << " column " << column;
            }
        }
    }
    EXPECT_GT(plateInterior, 1000u);
    EXPECT_GT(plateColourOnWallUnfiltered, 0u) << "the cameras' parallax hides wall behind the plate edge";
}
