// Camera parameters and the lens model of the simulated Kinect v2.
#include "KinectOptics.h"

#include <cmath>

namespace kestrum_sim {
namespace {

int pixelIndexOf(const libfreenect2::Freenect2Device::IrCameraParams& ir, double x, double y)
{
    const long column = std::lround(ir.fx * x + ir.cx);
    const long row = std::lround(ir.fy * y + ir.cy);
    if (column < 0 || column >= kKinectDepthWidth || row < 0 || row >= kKinectDepthHeight) return -1;
    return static_cast<int>(row * kKinectDepthWidth + column);
}

} // namespace

libfreenect2::Freenect2Device::IrCameraParams factoryIrCameraParams()
{
    libfreenect2::Freenect2Device::IrCameraParams ir{};
    ir.fx = 366.12f;
    ir.fy = 366.12f;
    ir.cx = 258.27f;
    ir.cy = 204.73f;
    ir.k1 = 0.0893f;
    ir.k2 = -0.2712f;
    ir.k3 = 0.0957f;
    ir.p1 = 0.0f;
    ir.p2 = 0.0f;
    return ir;
}

// The polynomial coefficients are carried so the record looks like a device's; the
// stand-in's registration uses the pinhole model with shift_m as the baseline instead.
libfreenect2::Freenect2Device::ColorCameraParams factoryColorCameraParams()
{
    libfreenect2::Freenect2Device::ColorCameraParams color{};
    color.fx = 1063.5f;
    color.fy = 1063.5f;
    color.cx = 958.2f;
    color.cy = 541.6f;
    color.shift_d = 863.0f;
    color.shift_m = 52.0f;
    color.mx_x3y0 = 0.000451f;
    color.mx_x0y3 = 0.0000117f;
    color.mx_x2y1 = 0.0000632f;
    color.mx_x1y2 = 0.000401f;
    color.mx_x2y0 = 0.0000268f;
    color.mx_x0y2 = 0.0000103f;
    color.mx_x1y1 = -0.0000197f;
    color.mx_x1y0 = 0.6425f;
    color.mx_x0y1 = 0.00172f;
    color.mx_x0y0 = 0.1389f;
    color.my_x3y0 = 0.0000089f;
    color.my_x0y3 = 0.000443f;
    color.my_x2y1 = 0.000392f;
    color.my_x1y2 = 0.0000721f;
    color.my_x2y0 = -0.0000241f;
    color.my_x0y2 = 0.0000517f;
    color.my_x1y1 = 0.0000233f;
    color.my_x1y0 = -0.00168f;
    color.my_x0y1 = 0.6421f;
    color.my_x0y0 = 0.0021f;
    return color;
}

void distortNormalized(const libfreenect2::Freenect2Device::IrCameraParams& ir, double x, double y, double& distortedX,
                       double& distortedY)
{
    const double r2 = x * x + y * y;
    const double radial = 1.0 + r2 * (ir.k1 + r2 * (ir.k2 + r2 * ir.k3));
    distortedX = x * radial + 2.0 * ir.p1 * x * y + ir.p2 * (r2 + 2.0 * x * x);
    distortedY = y * radial + ir.p1 * (r2 + 2.0 * y * y) + 2.0 * ir.p2 * x * y;
}

std::vector<int> rawPixelOfUndistortedPixel(const libfreenect2::Freenect2Device::IrCameraParams& ir)
{
    std::vector<int> table(static_cast<size_t>(kKinectDepthWidth) * kKinectDepthHeight);
    for (int row = 0; row < kKinectDepthHeight; ++row) {
        for (int column = 0; column < kKinectDepthWidth; ++column) {
            double x = 0.0;
            double y = 0.0;
            distortNormalized(ir, (column - ir.cx) / ir.fx, (row - ir.cy) / ir.fy, x, y);
            table[static_cast<size_t>(row) * kKinectDepthWidth + column] = pixelIndexOf(ir, x, y);
        }
    }
    return table;
}

std::vector<int> undistortedPixelOfRawPixel(const libfreenect2::Freenect2Device::IrCameraParams& ir)
{
    constexpr int kIterations = 20;
    constexpr double kConverged = 1e-7; // far below a pixel (1 / fx is about 3e-3)
    std::vector<int> table(static_cast<size_t>(kKinectDepthWidth) * kKinectDepthHeight);
    for (int row = 0; row < kKinectDepthHeight; ++row) {
        for (int column = 0; column < kKinectDepthWidth; ++column) {
            const double targetX = (column - ir.cx) / ir.fx;
            const double targetY = (row - ir.cy) / ir.fy;
            // Fixed-point iteration converges quickly for a lens this mild.
            double x = targetX;
            double y = targetY;
            for (int i = 0; i < kIterations; ++i) {
                double distortedX = 0.0;
                double distortedY = 0.0;
                distortNormalized(ir, x, y, distortedX, distortedY);
                const double errorX = targetX - distortedX;
                const double errorY = targetY - distortedY;
                x += errorX;
                y += errorY;
                if (std::abs(errorX) + std::abs(errorY) < kConverged) break;
            }
            table[static_cast<size_t>(row) * kKinectDepthWidth + column] = pixelIndexOf(ir, x, y);
        }
    }
    return table;
}

} // namespace kestrum_sim
