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

bool isPlateColour(const unsigned char* bgr)
{
    const kestrum_sim::ScenePlate plate = kestrum_sim::scenePlates(0).back();
    return bgr[0] == plate.blue && bgr[1] == plate.green && bgr[2] == plate.red;
}

} // namespace

// One frame set of the simulated camera, registered with and without the filter: the map
// entries, the colour they name, invalid depth, undistortion and the occlusion filter.
TEST(SimulatedRegistration, MapsEveryValidDepthPixelOntoTheColourOfItsSurface)
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
    // The scene as an ideal camera with the IR intrinsics sees it.
    std::vector<float> pinholeDepth(kDepthPixels);
    kestrum_sim::renderDepthMm(frames[Frame::Depth]->sequence, {ir.fx, ir.fy, ir.cx, ir.cy, 512, 424, 0.0},
                               pinholeDepth.data());
    const Frame& rgb = *frames[Frame::Color];
    Registered filtered;
    Registered unfiltered;
    registration.apply(&rgb, frames[Frame::Depth], filtered.undistorted.get(), filtered.color.get(), true, nullptr,
                       filtered.map.data());
    registration.apply(&rgb, frames[Frame::Depth], unfiltered.undistorted.get(), unfiltered.color.get(), false,
                       nullptr, unfiltered.map.data());

    size_t mapped = 0;
    size_t invalid = 0;
    for (size_t pixel = 0; pixel < kDepthPixels; ++pixel) {
        const int target = unfiltered.map[pixel];
        ASSERT_GE(target, -1);
        ASSERT_LT(target, kColorPixels);
        EXPECT_EQ(filtered.map[pixel], target) << "the filter hides colour, it does not unmap";
        if (unfiltered.depthAt(pixel) <= 0.0f) {
            ++invalid;
            ASSERT_EQ(target, -1) << "invalid depth maps to nothing: " << pixel;
            const unsigned char* bgr = unfiltered.colorAt(pixel);
            ASSERT_EQ(bgr[0] | bgr[1] | bgr[2], 0) << pixel;
        }
        if (target < 0) continue;
        ++mapped;
        ASSERT_EQ(std::memcmp(unfiltered.colorAt(pixel), rgb.data + static_cast<size_t>(target) * 4, 4), 0)
            << "depth pixel " << pixel << " maps to colour pixel " << target;
        const unsigned char* kept = filtered.colorAt(pixel);
        const bool hidden = kept[0] == 0 && kept[1] == 0 && kept[2] == 0;
        ASSERT_TRUE(hidden || std::memcmp(kept, rgb.data + static_cast<size_t>(target) * 4, 4) == 0) << pixel;
    }
    EXPECT_GT(mapped, kDepthPixels / 2);
    // The border of invalid depth is at least one pixel wide all round.
    EXPECT_GE(invalid, 2 * (512 + 424) - 4u);
    EXPECT_EQ(unfiltered.depthAt(0), 0.0f);
    // The raw depth comes through the IR lens; undistorted, it is the pinhole image again
    // but for pixels at edges, where two roundings may pick the neighbour.

    size_t differing = 0;
    for (size_t pixel = 0; pixel < kDepthPixels; ++pixel)
        differing += unfiltered.depthAt(pixel) != pinholeDepth[pixel];
    EXPECT_LT(differing, kDepthPixels / 200);
    // With a wrong baseline or a missed undistortion, the plate's colour lands beside its depth.

    const float plateMm = static_cast<float>(kestrum_sim::scenePlates(0).back().distanceMm);
    size_t plateInterior = 0;
    size_t plateColourOnWallUnfiltered = 0;
    for (int row = 1; row + 1 < 424; ++row) {
        for (int column = 1; column + 1 < 512; ++column) {
            const size_t pixel = static_cast<size_t>(row) * 512 + column;
            const bool plateAround =
                unfiltered.depthAt(pixel - 1) == plateMm && unfiltered.depthAt(pixel + 1) == plateMm &&
                unfiltered.depthAt(pixel - 512) == plateMm && unfiltered.depthAt(pixel + 512) == plateMm;
            if (plateAround && unfiltered.depthAt(pixel) == plateMm) {
                ++plateInterior;
                EXPECT_TRUE(isPlateColour(filtered.colorAt(pixel))) << "row " << row << " column " << column;
            }
            if (unfiltered.depthAt(pixel) == static_cast<float>(kestrum_sim::kWallDistanceMm)) {
                plateColourOnWallUnfiltered += isPlateColour(unfiltered.colorAt(pixel));
                EXPECT_FALSE(isPlateColour(filtered.colorAt(pixel))) << "row " << row << " column " << column;
            }
        }
    }
    EXPECT_GT(plateInterior, 1000u);
    EXPECT_GT(plateColourOnWallUnfiltered, 0u) << "the cameras' parallax hides wall behind the plate edge";
    listener.release(frames);
    device->stop();
    device->close();
    ::unsetenv("KESTRUM_SIM_KINECT");
    kestrum_sim::rereadKinectSettings();
}
