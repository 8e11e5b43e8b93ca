// The one deterministic synthetic scene that both simulated cameras look at.
#pragma once

#include <array>
#include <cstdint>

namespace kestrum_sim {

// A pinhole camera looking along +z, its centre at (offsetXmm, 0, 0) in scene
// coordinates (millimetres, +x right, +y down).
struct PinholeView {
    double fx, fy, cx, cy;
    int width, height;
    double offsetXmm;
};

// A fronto-parallel rectangle of uniform colour in front of the wall.
struct ScenePlate {
    double leftMm, rightMm, topMm, bottomMm;
    double distanceMm;
    uint8_t blue, green, red;
};

// The back wall: a checkerboard of squares fixed in scene millimetres.
constexpr double kWallDistanceMm = 2500.0;
constexpr double kWallSquareMm = 200.0;
constexpr uint8_t kWallLightGrey = 205;
constexpr uint8_t kWallDarkGrey = 70;

// The plates in front of the wall at that frame, farthest first; the nearer
// plate moves slowly from side to side.
std::array<ScenePlate, 2> scenePlates(uint64_t frameNumber);

// Pixels this wide along each edge of a depth image carry no depth.
int invalidDepthBorderPixels(const PinholeView& view);

// width*height floats, row-major: depth along the optical axis in mm, 0 where invalid.
void renderDepthMm(uint64_t frameNumber, const PinholeView& view, float* depthOut);

// bytesPerPixel 3 (B,G,R) or 4 (B,G,R,unused=0).
void renderColor(uint64_t frameNumber, const PinholeView& view, uint8_t* pixelsOut, int bytesPerPixel);

} // namespace kestrum_sim
