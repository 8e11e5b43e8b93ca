// The synthetic scene: a function of the frame number alone, moving, with an invalid border.
// (Colour consistent with depth is checked where both cameras deliver it.)
#include "kestrum_sim/Scene.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const kestrum_sim::PinholeView kDepthView{365.0, 365.0, 256.0, 212.0, 512, 424, 0.0};

struct Rendered {
    std::vector<float> depth = std::vector<float>(512 * 424);
    std::vector<uint8_t> color = std::vector<uint8_t>(512 * 424 * 3);
};

Rendered render(uint64_t frameNumber)
{
    Rendered out;
    kestrum_sim::renderDepthMm(frameNumber, kDepthView, out.depth.data());
    kestrum_sim::renderColor(frameNumber, kDepthView, out.color.data(), 3);
    return out;
}

} // namespace

TEST(SimulatedScene, AFrameIsAFunctionOfItsNumberAloneAndThePlateMoves)
{
    const Rendered first = render(41);
    render(7);
    const Rendered again = render(41);
    EXPECT_EQ(first.depth, again.depth);
    EXPECT_EQ(first.color, again.color);
    EXPECT_NE(render(41 + 30).depth, first.depth) << "the plate must move within a second";
}

TEST(SimulatedScene, DepthHasAnInvalidBorderAndTheWallBehindThePlates)
{
    const Rendered image = render(0);
    const int border = kestrum_sim::invalidDepthBorderPixels(kDepthView);
    ASSERT_GT(border, 0);
    for (int row = 0; row < kDepthView.height; ++row) {
        EXPECT_EQ(image.depth[static_cast<size_t>(row) * 512], 0.0f);
        EXPECT_EQ(image.depth[static_cast<size_t>(row) * 512 + 511], 0.0f);
    }
    EXPECT_EQ(image.depth[static_cast<size_t>(border - 1) * 512 + 256], 0.0f);
    EXPECT_FLOAT_EQ(image.depth[static_cast<size_t>(border) * 512 + border], kestrum_sim::kWallDistanceMm);
}
