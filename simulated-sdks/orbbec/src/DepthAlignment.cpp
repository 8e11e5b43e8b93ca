// Each depth pixel covers the colour pixels whose centres lie between the projections of its left
// and right edges and of its top and bottom edges. Neighbours of the same depth share those edge
// points, so a smooth surface leaves no gap at any ratio of the two resolutions, and equal cameras
// leave the depth as it is.
#include "DepthAlignment.h"

#include "ApiCall.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace kestrum_sim::orbbec {

// The rays through the midpoints of the depth pixels' edges, at unit depth and turned into the colour
// camera's orientation, for one calibration and rotation: `across` through the (width + 1) x height
// points between pixels of a row, `down` through the width x (height + 1) points between rows. Without
// a turn or a lens, a pixel's left and right edges depend on its column and its top and bottom on its
// row alone: then `across` holds the first row and `down` the first column only.
struct DepthEdgeRays {
    bool separable = false;
    uint32_t width = 0;
    uint32_t height = 0;
    ob_camera_intrinsic intrinsic{};
    ob_camera_distortion distortion{};
    float rotation[9] = {};
    std::vector<std::array<float, 3>> across;
    std::vector<std::array<float, 3>> down;

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

class RayMaker {
public:
    RayMaker(const ob_camera_intrinsic& intrinsic, const ob_camera_distortion& distortion, const float* rotation)
        : intrinsic_(intrinsic), lens_(lensOf(distortion)), r_(rotation) {}

    // The ray through depth pixel coordinates (u, v).
    std::array<float, 3> operator()(double u, double v) const {
        const double xd = (u - intrinsic_.cx) / intrinsic_.fx;
        const double yd = (v - intrinsic_.cy) / intrinsic_.fy;
        double x = xd;
        double y = yd;
        if (!lens_.isPinhole()) undistort(lens_, xd, yd, x, y);
        return {static_cast<float>(r_[0] * x + r_[1] * y + r_[2]), static_cast<float>(r_[3] * x + r_[4] * y + r_[5]),
                static_cast<float>(r_[6] * x + r_[7] * y + r_[8])};
    }

private:
    const ob_camera_intrinsic intrinsic_;
    const Lens lens_;
    const float* r_;
};

std::unique_ptr<const DepthEdgeRays> edgeRays(uint32_t width, uint32_t height, const ob_camera_intrinsic& intrinsic,
                                              const ob_camera_distortion& distortion, const ob_extrinsic& extrinsic) {
    auto edges = std::make_unique<DepthEdgeRays>();
    edges->width = width;
    edges->height = height;
    edges->intrinsic = intrinsic;
    edges->distortion = distortion;
    std::copy(std::begin(extrinsic.rot), std::end(extrinsic.rot), edges->rotation);
    edges->separable = std::equal(std::begin(kIdentityExtrinsic.rot), std::end(kIdentityExtrinsic.rot), extrinsic.rot) && lensOf(distortion).isPinhole();
    const uint32_t rows = edges->separable ? 1 : height;
    const uint32_t columns = edges->separable ? 1 : width;
    const RayMaker ray(intrinsic, distortion, extrinsic.rot);
    for (uint32_t row = 0; row < rows; ++row) {
        for (uint32_t column = 0; column <= width; ++column) edges->across.push_back(ray(column - 0.5, row));
    }
    for (uint32_t row = 0; row <= height; ++row) {
        for (uint32_t column = 0; column < columns; ++column) edges->down.push_back(ray(column, row - 0.5));
    }
    return edges;
}

// Where the colour camera images the point at depth z along a turned ray, along one image axis
// (0 across, 1 down), and at what depth; false behind the camera.
bool project(const std::array<float, 3>& ray, double z, const ob_extrinsic& extrinsic, const ob_camera_intrinsic& color, int axis,
             double& position, double& depth) {
    depth = ray[2] * z + extrinsic.trans[2];
    if (depth <= 0) return false;
    const double focal = axis == 0 ? color.fx : color.fy;
    const double centre = axis == 0 ? color.cx : color.cy;
    position = focal * (ray[axis] * z + extrinsic.trans[axis]) / depth + centre;
    return true;
}

// The smallest pixel index at or above x, within [0, size]; integer steps, as a call to ceil per
// edge would cost more than the projection.
int pixelAtOrAbove(double x, uint32_t size) {
    const double limited = std::clamp(x, 0.0, static_cast<double>(size));
    const int index = static_cast<int>(limited);
    return index < limited ? index + 1 : index;
}

// Gives the colour pixels whose centres lie between left and right and between top and bottom a
// depth in the input's units, rounded down, where none nearer is.
void cover(ob_frame_t& aligned, double left, double right, double top, double bottom, double units) {
    // The small allowance keeps a depth that the mapping leaves unchanged from losing a unit to rounding.
    const double value = units + 1e-4;
    if (value < 1) return;
    const auto nearest = static_cast<uint16_t>(std::min(value, 65535.0));
    const int firstColumn = pixelAtOrAbove(std::min(left, right), aligned.width);
    const int endColumn = pixelAtOrAbove(std::max(left, right), aligned.width);
    const int endRow = pixelAtOrAbove(std::max(top, bottom), aligned.height);
    auto* out = reinterpret_cast<uint16_t*>(aligned.data.data());
    for (int v = pixelAtOrAbove(std::min(top, bottom), aligned.height); v < endRow; ++v) {
        uint16_t* line = out + static_cast<size_t>(v) * aligned.width;
        for (int u = firstColumn; u < endColumn; ++u) {
            if (line[u] == 0 || nearest < line[u]) line[u] = nearest;
        }
    }
}

// With separable edges a run of equal depth along a row covers one rectangle: what the simulated
// camera streams, aligned at a fraction of the cost.
void reprojectRuns(const ob_frame_t& depth, const DepthEdgeRays& edges, const ob_extrinsic& extrinsic,
                   const ob_camera_intrinsic& color, ob_frame_t& aligned) {
    const auto* in = reinterpret_cast<const uint16_t*>(depth.data.data());
    const float* t = extrinsic.trans;
    for (uint32_t row = 0; row < depth.height; ++row) {
        const uint16_t* line = in + static_cast<size_t>(row) * depth.width;
        const double top = edges.down[row][1];
        const double bottom = edges.down[row + 1][1];
        for (uint32_t first = 0, end = 0; first < depth.width; first = end) {
            const uint16_t raw = line[first];
            for (end = first + 1; end < depth.width && line[end] == raw; ++end) {
            }
            const double z = raw * static_cast<double>(depth.valueScale);
            const double seen = z + t[2];
            if (raw == 0 || seen <= 0) continue;
            const double across = color.fx / seen;
            const double down = color.fy / seen;
            cover(aligned, across * (edges.across[first][0] * z + t[0]) + color.cx, across * (edges.across[end][0] * z + t[0]) + color.cx,
                  down * (top * z + t[1]) + color.cy, down * (bottom * z + t[1]) + color.cy, seen / depth.valueScale);
        }
    }
}

// An edge point as a neighbour of the same depth already projected it.
struct SharedEdge {
    uint16_t raw = 0;  // 0: none
    double position = 0;
    double depth = 0;
};

void reproject(const ob_frame_t& depth, const DepthEdgeRays& edges, const ob_extrinsic& extrinsic, const ob_camera_intrinsic& color,
               ob_frame_t& aligned) {
    const auto* in = reinterpret_cast<const uint16_t*>(depth.data.data());
    const double scale = depth.valueScale;
    // The bottom edges of the row above, column by column.
    std::vector<SharedEdge> above(depth.width);
    for (uint32_t row = 0; row < depth.height; ++row) {
        SharedEdge left;  // the right edge of the pixel before
        for (uint32_t column = 0; column < depth.width; ++column) {
            const uint16_t raw = in[row * depth.width + column];
            SharedEdge& top = above[column];
            const double z = raw * scale;
            const size_t across = row * (depth.width + 1) + column;
            const size_t down = row * depth.width + column;
            SharedEdge right{raw};
            SharedEdge bottom{raw};
            const bool seen =
                raw != 0 &&
                (left.raw == raw || project(edges.across[across], z, extrinsic, color, 0, left.position, left.depth)) &&
                project(edges.across[across + 1], z, extrinsic, color, 0, right.position, right.depth) &&
                (top.raw == raw || project(edges.down[down], z, extrinsic, color, 1, top.position, top.depth)) &&
                project(edges.down[down + depth.width], z, extrinsic, color, 1, bottom.position, bottom.depth);
            const SharedEdge before = left;
            const SharedEdge upper = top;
            left = seen ? right : SharedEdge{};
            top = seen ? bottom : SharedEdge{};
            if (!seen) continue;
            cover(aligned, before.position, right.position, upper.position, bottom.position,
                  (before.depth + right.depth) / 2 / scale);
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
    if (depth.format != OB_FORMAT_Y16) {
        throw SdkFailure("simulated Align: depth of another format than Y16 is not simulated", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
    }
    const ob_camera_intrinsic& colorIntrinsic = *color.profile->values.intrinsic;

    FrameRef frame = newFrame(OB_FRAME_DEPTH, OB_FORMAT_Y16, depth.index);
    auto& aligned = *const_cast<ob_frame_t*>(frame.get());
    aligned.valueScale = depth.valueScale;
    // The real filter keeps the input's time and metadata.
    aligned.timestampUs = depth.timestampUs;
    aligned.systemTimestampUs = depth.systemTimestampUs;
    aligned.globalTimestampUs = depth.globalTimestampUs;
    aligned.metadata = depth.metadata;
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
    const ob_extrinsic extrinsic = extrinsicBetween(*depth.profile, *color.profile).value_or(kIdentityExtrinsic);
    if (!rays_ || !rays_->fit(depth.width, depth.height, depthIntrinsic, depthDistortion, extrinsic)) {
        rays_ = edgeRays(depth.width, depth.height, depthIntrinsic, depthDistortion, extrinsic);
    }
    if (rays_->separable) {
        reprojectRuns(depth, *rays_, extrinsic, colorIntrinsic, aligned);
    } else {
        reproject(depth, *rays_, extrinsic, colorIntrinsic, aligned);
    }
    return frame;
}

}  // namespace kestrum_sim::orbbec
