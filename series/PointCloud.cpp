// A frame's depth as coloured 3-D points, and their PLY file.
#include "PointCloud.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <sstream>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "PLY records are written as the values lie in memory");

namespace {

// The farthest a 16-bit depth file reaches: 65535 mm.
constexpr double kFarthestMetres = 65.535;

// Whether every pixel from 0 to size - 1 lands within a float at every depth; NaN never does.
bool staysFinite(double focalLength, double centre, int size)
{
    const double farthestFromCentre = std::max(std::fabs(centre), std::fabs(size - 1 - centre));
    return farthestFromCentre * kFarthestMetres / focalLength <= FLT_MAX;
}

} // namespace

std::optional<std::string> infinitePointsProblem(const CameraIntrinsics& camera, int width, int height)
{
    std::ostringstream text;
    if (!staysFinite(camera.fx, camera.cx, width)) {
        text << "fx " << camera.fx << " and cx " << camera.cx;
    } else if (!staysFinite(camera.fy, camera.cy, height)) {
        text << "fy " << camera.fy << " and cy " << camera.cy;
    } else {
        return std::nullopt;
    }
    text << " put points of a " << width << "x" << height << " image at infinity";
    return text.str();
}

std::vector<ColoredPoint> backProject(const cv::Mat& depthMm, const cv::Mat& color, const CameraIntrinsics& camera)
{
    std::vector<ColoredPoint> points;
    for (int v = 0; v < depthMm.rows; ++v) {
        const uint16_t* depthRow = depthMm.ptr<uint16_t>(v);
        const cv::Vec3b* colorRow = color.ptr<cv::Vec3b>(v);
        for (int u = 0; u < depthMm.cols; ++u) {
            if (depthRow[u] == 0) continue;
            const double z = depthRow[u] / 1000.0;
            const cv::Vec3b bgr = colorRow[u];
            points.push_back({static_cast<float>((u - camera.cx) * z / camera.fx),
                              static_cast<float>((v - camera.cy) * z / camera.fy), static_cast<float>(z), bgr[2],
                              bgr[1], bgr[0]});
        }
    }
    return points;
}

std::string plyFile(const std::vector<ColoredPoint>& points)
{
    std::string file = "ply\n"
                       "format binary_little_endian 1.0\n"
                       "element vertex " +
                       std::to_string(points.size()) +
                       "\n"
                       "property float x\n"
                       "property float y\n"
                       "property float z\n"
                       "property uchar red\n"
                       "property uchar green\n"
                       "property uchar blue\n"
                       "end_header\n";
    constexpr size_t kRecordBytes = 3 * sizeof(float) + 3;
    size_t at = file.size();
    file.resize(at + points.size() * kRecordBytes);
    for (const ColoredPoint& point : points) {
        const float coordinates[3] = {point.x, point.y, point.z};
        const uint8_t colour[3] = {point.red, point.green, point.blue};
        std::memcpy(&file[at], coordinates, sizeof coordinates);
        std::memcpy(&file[at + sizeof coordinates], colour, sizeof colour);
        at += kRecordBytes;
    }
    return file;
}
