// Renders the synthetic scene: every surface is fronto-parallel, so each one
// covers an image rectangle and a frame is a handful of row copies and span fills.
#include "kestrum_sim/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kestrum_sim {
namespace {

constexpr uint64_t kSwingPeriodFrames = 300;
constexpr double kSwingStepMm = 4.0;

struct PixelSpan {
    int first, end; // half-open, already clipped to the image
};

// The pixels whose centres lie in [lowMm, highMm) at that distance, along one image axis.
PixelSpan spanAt(double lowMm, double highMm, double distanceMm, double focal, double centre, double cameraOffsetMm,
                 int size)
{
    const auto toPixel = [&](double mm) { return std::ceil(centre + focal * (mm - cameraOffsetMm) / distanceMm); };
    const int first = static_cast<int>(std::clamp(toPixel(lowMm), 0.0, static_cast<double>(size)));
    const int end = static_cast<int>(std::clamp(toPixel(highMm), 0.0, static_cast<double>(size)));
    return {first, std::max(first, end)};
}

int wallSquareParity(double mm) { return static_cast<int>(static_cast<int64_t>(std::floor(mm / kWallSquareMm)) & 1); }

void writePixel(uint8_t* pixel, uint8_t blue, uint8_t green, uint8_t red, int bytesPerPixel)
{
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
    if (bytesPerPixel == 4) pixel[3] = 0;
}

// The wall's colours along one image row, for both parities of the row's square.
std::array<std::vector<uint8_t>, 2> wallRows(const PinholeView& view, int bytesPerPixel)
{
    std::array<std::vector<uint8_t>, 2> rows;
    for (int rowParity = 0; rowParity < 2; ++rowParity) {
        std::vector<uint8_t>& row = rows[rowParity];
        row.resize(static_cast<size_t>(view.width) * bytesPerPixel);
        for (int u = 0; u < view.width; ++u) {
            const double xMm = view.offsetXmm + kWallDistanceMm * (u - view.cx) / view.fx;
            const uint8_t grey = (wallSquareParity(xMm) ^ rowParity) ? kWallDarkGrey : kWallLightGrey;
            writePixel(&row[static_cast<size_t>(u) * bytesPerPixel], grey, grey, grey, bytesPerPixel);
        }
    }
    return rows;
}

} // namespace

std::array<ScenePlate, 2> scenePlates(uint64_t frameNumber)
{
    const uint64_t phase = frameNumber % kSwingPeriodFrames;
    const uint64_t swing = phase < kSwingPeriodFrames / 2 ? phase : kSwingPeriodFrames - phase;
    const double movingCentreMm = -300.0 + kSwingStepMm * static_cast<double>(swing);
    return {{
        {350.0, 850.0, -450.0, 150.0, 1600.0, 60, 170, 40},
        {movingCentreMm - 200.0, movingCentreMm + 200.0, -100.0, 200.0, 1000.0, 30, 120, 235},
    }};
}

int invalidDepthBorderPixels(const PinholeView& view) { return std::max(1, std::min(view.width, view.height) / 50); }

void renderDepthMm(uint64_t frameNumber, const PinholeView& view, float* depthOut)
{
    const int border = invalidDepthBorderPixels(view);
    const size_t width = static_cast<size_t>(view.width);
    std::fill(depthOut, depthOut + width * view.height, 0.0f);
    const int innerFirstColumn = std::min(border, view.width);
    const int innerEndColumn = std::max(innerFirstColumn, view.width - border);
    const int innerFirstRow = std::min(border, view.height);
    const int innerEndRow = std::max(innerFirstRow, view.height - border);
    for (int v = innerFirstRow; v < innerEndRow; ++v) {
        float* row = depthOut + v * width;
        std::fill(row + innerFirstColumn, row + innerEndColumn, static_cast<float>(kWallDistanceMm));
    }
    for (const ScenePlate& plate : scenePlates(frameNumber)) {
        const PixelSpan columns =
            spanAt(plate.leftMm, plate.rightMm, plate.distanceMm, view.fx, view.cx, view.offsetXmm, view.width);
        const PixelSpan rows =
            spanAt(plate.topMm, plate.bottomMm, plate.distanceMm, view.fy, view.cy, 0.0, view.height);
        const int firstColumn = std::max(columns.first, innerFirstColumn);
        const int endColumn = std::min(columns.end, innerEndColumn);
        if (firstColumn >= endColumn) continue;
        for (int v = std::max(rows.first, innerFirstRow); v < std::min(rows.end, innerEndRow); ++v) {
            float* row = depthOut + v * width;
            std::fill(row + firstColumn, row + endColumn, static_cast<float>(plate.distanceMm));
        }
    }
}

void renderColor(uint64_t frameNumber, const PinholeView& view, uint8_t* pixelsOut, int bytesPerPixel)
{
    const std::array<std::vector<uint8_t>, 2> wall = wallRows(view, bytesPerPixel);
    const size_t rowBytes = static_cast<size_t>(view.width) * bytesPerPixel;
    for (int v = 0; v < view.height; ++v) {
        const double yMm = kWallDistanceMm * (v - view.cy) / view.fy;
        std::memcpy(pixelsOut + v * rowBytes, wall[wallSquareParity(yMm)].data(), rowBytes);
    }
    for (const ScenePlate& plate : scenePlates(frameNumber)) {
        const PixelSpan columns =
            spanAt(plate.leftMm, plate.rightMm, plate.distanceMm, view.fx, view.cx, view.offsetXmm, view.width);
        const PixelSpan rows =
            spanAt(plate.topMm, plate.bottomMm, plate.distanceMm, view.fy, view.cy, 0.0, view.height);
        for (int v = rows.first; v < rows.end; ++v) {
            uint8_t* row = pixelsOut + v * rowBytes;
            for (int u = columns.first; u < columns.end; ++u) {
                writePixel(row + static_cast<size_t>(u) * bytesPerPixel, plate.blue, plate.green, plate.red,
                           bytesPerPixel);
            }
        }
    }
}

} // namespace kestrum_sim
