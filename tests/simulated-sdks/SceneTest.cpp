// The synthetic scene: deterministic, colour consistent with depth, a moving plate and an invalid border.
#include "kestrum_sim/Scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using kestrum_sim::PinholeView;

namespace {

const PinholeView kDepthView{365.0, 365.0, 256.0, 212.0, 512, 424, 0.0};
const PinholeView kColorView{1060.0, 1060.0, 960.0, 540.0, 1920, 1080, 52.0};

struct Rendered {
    std::vector<float> depth;
    std::vector<uint8_t> color;
};

Rendered render(uint64_t frameNumber, const PinholeView& view, int bytesPerPixel)
{
    Rendered out{std::vector<float>(static_cast<size_t>(view.width) * view.height),
                 std::vector<uint8_t>(static_cast<size_t>(view.width) * view.height * bytesPerPixel)};
    kestrum_sim::renderDepthMm(frameNumber, view, out.depth.data());
    kestrum_sim::renderColor(frameNumber, view, out.color.data(), bytesPerPixel);
    return out;
}

// The image pixel of a scene point as the view sees it.
void project(const PinholeView& view, double xMm, double yMm, double zMm, int& column, int& row)
{
    column = static_cast<int>(std::lround(view.cx + view.fx * (xMm - view.offsetXmm) / zMm));
    row = static_cast<int>(std::lround(view.cy + view.fy * yMm / zMm));
}

} // namespace

TEST(SimulatedScene, AFrameIsAFunctionOfItsNumberAndViewAlone)
{
    const Rendered first = render(41, kDepthView, 4);
    render(7, kDepthView, 4);
    const Rendered again = render(41, kDepthView, 4);
    EXPECT_EQ(first.depth, again.depth);
    EXPECT_EQ(first.color, again.color);
    EXPECT_NE(render(41 + 30, kDepthView, 4).depth, first.depth) << "the plate must move within a second";
}

TEST(SimulatedScene, EveryPlateShowsItsDistanceAndColourWhereItIsProjected)
{
    for (uint64_t frameNumber : {0u, 75u, 150u, 299u}) {
        for (const PinholeView& view : {kDepthView, kColorView}) {
            for (int bytesPerPixel : {3, 4}) {
                const Rendered image = render(frameNumber, view, bytesPerPixel);
                // The nearest plate is listed last and is never hidden at its centre.
                const kestrum_sim::ScenePlate plate = kestrum_sim::scenePlates(frameNumber).back();
                int column = 0;
                int row = 0;
                project(view, (plate.leftMm + plate.rightMm) / 2, (plate.topMm + plate.bottomMm) / 2, plate.distanceMm,
                        column, row);
                const size_t pixel = static_cast<size_t>(row) * view.width + column;
                EXPECT_FLOAT_EQ(image.depth[pixel], plate.distanceMm) << "frame " << frameNumber;
                const uint8_t* bgr = &image.color[pixel * bytesPerPixel];
                EXPECT_EQ(bgr[0], plate.blue);
                EXPECT_EQ(bgr[1], plate.green);
                EXPECT_EQ(bgr[2], plate.red);
                if (bytesPerPixel == 4) {
                    EXPECT_EQ(bgr[3], 0);
                }
            }
        }
    }
}

TEST(SimulatedScene, DepthHasAnInvalidBorderAndTheWallBehindThePlates)
{
    const Rendered image = render(0, kDepthView, 3);
    const int border = kestrum_sim::invalidDepthBorderPixels(kDepthView);
    ASSERT_GT(border, 0);
    for (int row = 0; row < kDepthView.height; ++row) {
        EXPECT_EQ(image.depth[static_cast<size_t>(row) * kDepthView.width], 0.0f);
        EXPECT_EQ(image.depth[static_cast<size_t>(row) * kDepthView.width + kDepthView.width - 1], 0.0f);
    }
    EXPECT_EQ(image.depth[static_cast<size_t>(border - 1) * kDepthView.width + 256], 0.0f);
    EXPECT_FLOAT_EQ(image.depth[static_cast<size_t>(border) * kDepthView.width + border], kestrum_sim::kWallDistanceMm);
    const uint8_t wallGrey = image.color[(static_cast<size_t>(border) * kDepthView.width + border) * 3];
    EXPECT_TRUE(wallGrey == kestrum_sim::kWallLightGrey || wallGrey == kestrum_sim::kWallDarkGrey);
}
