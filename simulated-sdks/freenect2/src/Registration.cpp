// Registration of the simulated libfreenect2: undistorts the depth image with the IR
// lens model and projects every depth point into the colour camera (pinhole, baseline shift_m).
#include <libfreenect2/registration.h>

#include "DeviceFrame.h"
#include "KinectOptics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace libfreenect2 {

namespace {

// A depth pixel covers about 3 x 3 colour pixels; its footprint in the occlusion test
// is a little larger so that no colour pixel at an object edge slips between footprints.
constexpr int kFootprintHalfWidth = 3;
constexpr int kFootprintHalfHeight = 2;
// A point this much farther than the nearest one seen at its colour pixel is hidden from the colour camera.
constexpr float kOcclusionTolerance = 0.02f;

} // namespace

class RegistrationImpl {
public:
    RegistrationImpl(const Freenect2Device::IrCameraParams& ir, const Freenect2Device::ColorCameraParams& color)
        : color(color), rawPixel(kestrum_sim::rawPixelOfUndistortedPixel(ir)), rayX(rawPixel.size()),
          rayY(rawPixel.size())
    {
        for (int row = 0; row < kKinectDepthHeight; ++row) {
            for (int column = 0; column < kKinectDepthWidth; ++column) {
                const size_t i = static_cast<size_t>(row) * kKinectDepthWidth + column;
                rayX[i] = (column - ir.cx) / ir.fx;
                rayY[i] = (row - ir.cy) / ir.fy;
            }
        }
    }

    // The colour pixel that sees the depth point, or -1 outside the colour image.
    int colorPixelOf(size_t depthPixel, float z) const
    {
        const float u = color.fx * (rayX[depthPixel] * z - color.shift_m) / z + color.cx;
        const float v = color.fy * rayY[depthPixel] + color.cy;
        const long column = std::lround(u);
        const long row = std::lround(v);
        if (column < 0 || column >= kKinectColorWidth || row < 0 || row >= kKinectColorHeight) return -1;
        return static_cast<int>(row * kKinectColorWidth + column);
    }

    const Freenect2Device::ColorCameraParams color;
    const std::vector<int> rawPixel;
    std::vector<float> rayX, rayY;
};

Registration::Registration(Freenect2Device::IrCameraParams depth_p, Freenect2Device::ColorCameraParams rgb_p)
    : impl_(std::make_unique<RegistrationImpl>(depth_p, rgb_p))
{
}

Registration::~Registration() = default;

void Registration::apply(const Frame* rgb, const Frame* depth, Frame* undistorted, Frame* registered,
                         const bool enable_filter, Frame* bigdepth, int* color_depth_map) const
{
    const size_t pixelCount = impl_->rawPixel.size();
    const float* rawDepth = reinterpret_cast<const float*>(depth->data);
    float* depthOut = reinterpret_cast<float*>(undistorted->data);
    // A replayed frame maps its depth pixels as the recording's registration did.
    const auto* replayed = dynamic_cast<const kestrum_sim::ReplayedDepthFrame*>(depth);
    std::vector<int> colorPixel(pixelCount, -1);
    for (size_t i = 0; i < pixelCount; ++i) {
        const float z = impl_->rawPixel[i] >= 0 ? rawDepth[impl_->rawPixel[i]] : 0.0f;
        const bool valid = z > 0.0f && std::isfinite(z);
        depthOut[i] = valid ? z : 0.0f;
        if (replayed) {
            colorPixel[i] = replayed->colorDepthMap.ptr<int32_t>()[i];
        } else if (valid) {
            colorPixel[i] = impl_->colorPixelOf(i, z);
        }
    }

    // Nearest depth seen at each colour pixel, with a blank row above and below as the real bigdepth has.
    std::vector<float> ownNearest;
    float* nearest = nullptr;
    if (enable_filter || bigdepth) {
        const size_t nearestSize = static_cast<size_t>(kKinectColorWidth) * (kKinectColorHeight + 2);
        if (bigdepth) {
            nearest = reinterpret_cast<float*>(bigdepth->data);
        } else {
            ownNearest.resize(nearestSize);
            nearest = ownNearest.data();
        }
        std::fill(nearest, nearest + nearestSize, std::numeric_limits<float>::infinity());
        for (size_t i = 0; i < pixelCount; ++i) {
            if (colorPixel[i] < 0) continue;
            const int row = colorPixel[i] / kKinectColorWidth;
            const int column = colorPixel[i] % kKinectColorWidth;
            for (int r = std::max(0, row - kFootprintHalfHeight);
                 r <= std::min(kKinectColorHeight - 1, row + kFootprintHalfHeight); ++r) {
                float* line = nearest + static_cast<size_t>(r + 1) * kKinectColorWidth;
                for (int c = std::max(0, column - kFootprintHalfWidth);
                     c <= std::min(kKinectColorWidth - 1, column + kFootprintHalfWidth); ++c) {
                    line[c] = std::min(line[c], depthOut[i]);
                }
            }
        }
    }

    for (size_t i = 0; i < pixelCount; ++i) {
        unsigned char* out = registered->data + i * 4;
        const int target = colorPixel[i];
        if (target >= 0 && color_depth_map) color_depth_map[i] = target;
        if (replayed) {
            std::memcpy(out, replayed->registeredColor.data + i * 3, 3);
            out[3] = 0;
            continue;
        }
        const bool hidden = target < 0 || (enable_filter &&
                                           depthOut[i] > nearest[target + kKinectColorWidth] * (1.0f + kOcclusionTolerance));
        if (hidden) {
            std::memset(out, 0, 4);
        } else {
            std::memcpy(out, rgb->data + static_cast<size_t>(target) * 4, 4);
        }
    }
}

} // namespace libfreenect2
