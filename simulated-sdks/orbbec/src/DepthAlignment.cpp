// Each depth pixel covers the colour pixels whose centres lie between the projections of its corners,
// so that a smooth surface leaves no gap at any ratio of the two resolutions, and equal cameras
// leave the depth as it is.
#include "DepthAlignment.h"

#include "ApiCall.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace kestrum_sim::orbbec {

// The rays through the (width + 1) x (height + 1) pixel corners, row by row, at unit depth and turned
// into the colour camera's orientation, for one calibration and rotation.
struct DepthCornerRays {
    uint32_t width = 0;
    uint32_t height = 0;
    ob_camera_intrinsic intrinsic{};
    ob_camera_distortion distortion{};
    float rotation[9] = {};
    std::vector<std::array<float, 3>> rays;

    // The records are packed, so comparing their bytes compares their fields.
    bool fit(uint32_t otherWidth, uint32_t otherHeight, const ob_camera_intrinsic& otherIntrinsic,
             const ob_camera_distortion& otherDistortion, const ob_extrinsic& extrinsic) const {
        return width == otherWidth && height == otherHeight &&
               std::memcmp(&intrinsic, &otherIntrinsic, sizeof intrinsic) == 0 &&
               std::memcmp(&distortion, &otherDistortion, sizeof distortion) == 0 &&
               std::memcmp(rotation, extrinsic.rot, sizeof rotation) == 0;
    }
};

namespace {

const char* const kNoIntrinsicsMessage = "Intrinsics for the input stream profile is not found.";
const char* const kNoDistortionMessage = "Distortion for the input stream profile is not found.";

constexpr ob_extrinsic kIdentity{{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}};
constexpr ob_camera_distortion kNoDistortion{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, OB_DISTORTION_NONE};

// Brown-Conrady coefficients, the radial factor rational for K6; the stand-in models no other lens.
struct Lens {
    double k1, k2, k3, k4, k5, k6, p1, p2;

    bool isPinhole() const { return k1 == 0 && k2 == 0 && k3 == 0 && k4 == 0 && k5 == 0 && k6 == 0 && p1 == 0 && p2 == 0; }
};

Lens lensOf(const ob_camera_distortion& d) {
    switch (d.model) {
    case OB_DISTORTION_NONE:
        return {0, 0, 0, 0, 0, 0, 0, 0};
    case OB_DISTORTION_BROWN_CONRADY:
        return {d.k1, d.k2, d.k3, 0, 0, 0, d.p1, d.p2};
    case OB_DISTORTION_BROWN_CONRADY_K6:
        return {d.k1, d.k2, d.k3, d.k4, d.k5, d.k6, d.p1, d.p2};
    default:
        throw SdkFailure("simulated Align: the depth profile's distortion model is not simulated",
                         OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
    }
}

// The point that the lens images at (xd, yd), by fixed-point iteration; ten steps settle lenses
// of a depth camera's strength far below a thousandth of a pixel.
void undistort(const Lens& lens, double xd, double yd, double& x, double& y) {
    x = xd;
    y = yd;
    for (int step = 0; step < 10; ++step) {
        const double r2 = x * x + y * y;
        const double radial = (1 + r2 * (lens.k1 + r2 * (lens.k2 + r2 * lens.k3))) / (1 + r2 * (lens.k4 + r2 * (lens.k5 + r2 * lens.k6)));
        const double dx = 2 * lens.p1 * x * y + lens.p2 * (r2 + 2 * x * x);
        const double dy = lens.p1 * (r2 + 2 * y * y) + 2 * lens.p2 * x * y;
        x = (xd - dx) / radial;
        y = (yd - dy) / radial;
    }
}

std::unique_ptr<const DepthCornerRays> cornerRays(uint32_t width, uint32_t height, const ob_camera_intrinsic& intrinsic,
                                                  const ob_camera_distortion& distortion, const ob_extrinsic& extrinsic) {
    const Lens lens = lensOf(distortion);
    auto corners = std::make_unique<DepthCornerRays>();
    corners->width = width;
    corners->height = height;
    corners->intrinsic = intrinsic;
    corners->distortion = distortion;
    std::copy(std::begin(extrinsic.rot), std::end(extrinsic.rot), corners->rotation);
    corners->rays.resize(static_cast<size_t>(width + 1) * (height + 1));
    const float* r = extrinsic.rot;
    auto ray = corners->rays.begin();
    for (uint32_t row = 0; row <= height; ++row) {
        const double yd = (row - 0.5 - intrinsic.cy) / intrinsic.fy;
        for (uint32_t column = 0; column <= width; ++column, ++ray) {
            const double xd = (column - 0.5 - intrinsic.cx) / intrinsic.fx;
            double x = xd;
            double y = yd;
            if (!lens.isPinhole()) undistort(lens, xd, yd, x, y);
            *ray = {static_cast<float>(r[0] * x + r[1] * y + r[2]), static_cast<float>(r[3] * x + r[4] * y + r[5]),
                    static_cast<float>(r[6] * x + r[7] * y + r[8])};
        }
    }
    return corners;
}

// Where the colour camera images the point at depth z along a turned ray: false behind the camera.
bool project(const std::array<float, 3>& ray, float z, const ob_extrinsic& extrinsic, const ob_camera_intrinsic& color, float& u,
             float& v, float& depth) {
    depth = ray[2] * z + extrinsic.trans[2];
    if (depth <= 0) return false;
    const float inverse = 1.0f / depth;
    u = color.fx * (ray[0] * z + extrinsic.trans[0]) * inverse + color.cx;
    v = color.fy * (ray[1] * z + extrinsic.trans[1]) * inverse + color.cy;
    return true;
}

// The pixels [first, end) of an image axis of that size whose centres lie between a and b.
// The smallest pixel index at or above x, within [0, size]; integer steps, as a call to ceil per
// corner would cost more than the projection.
int pixelAtOrAbove(float x, uint32_t size) {
    const float limited = std::clamp(x, 0.0f, static_cast<float>(size));
    const int index = static_cast<int>(limited);
    return index < limited ? index + 1 : index;
}

void coveredPixels(float a, float b, uint32_t size, int& first, int& end) {
    first = pixelAtOrAbove(std::min(a, b), size);
    end = pixelAtOrAbove(std::max(a, b), size);
}

void reproject(const ob_frame_t& depth, const DepthCornerRays& corners, const ob_extrinsic& extrinsic,
               const ob_camera_intrinsic& color, ob_frame_t& aligned) {
    const auto* in = reinterpret_cast<const uint16_t*>(depth.data.data());
    auto* out = reinterpret_cast<uint16_t*>(aligned.data.data());
    const float scale = depth.valueScale;
    const size_t cornersPerRow = depth.width + 1;
    for (uint32_t row = 0; row < depth.height; ++row) {
        for (uint32_t column = 0; column < depth.width; ++column) {
            const uint16_t raw = in[row * depth.width + column];
            if (raw == 0) continue;
            const float z = raw * scale;
            const size_t topLeft = row * cornersPerRow + column;
            float u0, v0, z0, u1, v1, z1;
            if (!project(corners.rays[topLeft], z, extrinsic, color, u0, v0, z0) ||
                !project(corners.rays[topLeft + cornersPerRow + 1], z, extrinsic, color, u1, v1, z1)) {
                continue;
            }
            int firstColumn, endColumn, firstRow, endRow;
            coveredPixels(u0, u1, aligned.width, firstColumn, endColumn);
            coveredPixels(v0, v1, aligned.height, firstRow, endRow);
            if (firstColumn == endColumn || firstRow == endRow) continue;
            // In the input's units, rounded down; the small allowance keeps a depth that the mapping
            // leaves unchanged from losing a unit to the division's rounding.
            const double value = (static_cast<double>(z0) + z1) / 2 / scale + 1e-4;
            if (value < 1) continue;
            const auto nearest = static_cast<uint16_t>(std::min(value, 65535.0));  // rounded down
            for (int v = firstRow; v < endRow; ++v) {
                uint16_t* line = out + static_cast<size_t>(v) * aligned.width;
                for (int u = firstColumn; u < endColumn; ++u) {
                    if (line[u] == 0 || nearest < line[u]) line[u] = nearest;
                }
            }
        }
    }
}

}  // namespace

DepthAlignment::DepthAlignment() = default;
DepthAlignment::~DepthAlignment() = default;

FrameRef DepthAlignment::align(const ob_frame_t& depth, const ob_frame_t& color) {
    if (!color.profile || !color.profile->values.intrinsic) throw SdkFailure(kNoIntrinsicsMessage, OB_EXCEPTION_TYPE_INVALID_VALUE);
    if (!depth.profile || !depth.profile->values.distortion) throw SdkFailure(kNoDistortionMessage, OB_EXCEPTION_TYPE_INVALID_VALUE);
    if (!depth.profile->values.intrinsic) throw SdkFailure(kNoIntrinsicsMessage, OB_EXCEPTION_TYPE_INVALID_VALUE);
    const ob_camera_intrinsic& colorIntrinsic = *color.profile->values.intrinsic;

    FrameRef frame = newFrame(OB_FRAME_DEPTH, OB_FORMAT_Y16, depth.index);
    auto& aligned = *const_cast<ob_frame_t*>(frame.get());
    aligned.valueScale = depth.valueScale;
    VideoProfile profile = depth.profile->values;
    profile.width = color.width;
    profile.height = color.height;
    profile.intrinsic = colorIntrinsic;
    profile.distortion = kNoDistortion;
    aligned.profile = std::make_shared<const ProfileNode>(profile);
    if (depth.width == 0 || depth.height == 0) return frame;

    aligned.width = color.width;
    aligned.height = color.height;
    aligned.data.assign(static_cast<size_t>(color.width) * color.height * sizeof(uint16_t), 0);
    const ob_camera_intrinsic& depthIntrinsic = *depth.profile->values.intrinsic;
    const ob_camera_distortion& depthDistortion = *depth.profile->values.distortion;
    const ob_extrinsic extrinsic = extrinsicBetween(*depth.profile, *color.profile).value_or(kIdentity);
    if (!rays_ || !rays_->fit(depth.width, depth.height, depthIntrinsic, depthDistortion, extrinsic)) {
        rays_ = cornerRays(depth.width, depth.height, depthIntrinsic, depthDistortion, extrinsic);
    }
    reproject(depth, *rays_, extrinsic, colorIntrinsic, aligned);
    return frame;
}

}  // namespace kestrum_sim::orbbec
