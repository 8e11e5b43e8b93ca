// Writing one Kinect v2 frame's five files, beside the three bare image-library
// calls it makes (JPEG 512x424 q88, JPEG 1920x1080 q92, PNG 512x424 16-bit).
#include "ColorJpeg.h"
#include "DepthConversion.h"
#include "DiscardedStandardOutput.h"
#include "FrameWriteTiming.h"
#include "KinectFrameFiles.h"
#include "KinectGeometry.h"
#include "OutputDirectories.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Camera-like content: smooth gradients with fine texture, so the encoders
// work about as hard as on a real scene.
cv::Mat sceneColor(int width, int height)
{
    cv::Mat bgra(height, width, CV_8UC4);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const int texture = ((row * 7) ^ (column * 13)) & 15;
            bgra.at<cv::Vec4b>(row, column) = {static_cast<uchar>(column * 255 / width + texture),
                                               static_cast<uchar>(row * 255 / height),
                                               static_cast<uchar>(128 + texture * 4), 0};
        }
    }
    return bgra;
}

cv::Mat sceneDepth()
{
    cv::Mat depth(kKinectDepthHeight, kKinectDepthWidth, CV_32FC1);
    for (int row = 0; row < depth.rows; ++row) {
        for (int column = 0; column < depth.cols; ++column) {
            depth.at<float>(row, column) = column % 61 == 0 ? 0.0f : 800.0f + row * 3.7f + column * 0.9f;
        }
    }
    return depth;
}

cv::Mat sceneColorDepthMap()
{
    cv::Mat map(kKinectDepthHeight, kKinectDepthWidth, CV_32SC1);
    for (int row = 0; row < map.rows; ++row) {
        for (int column = 0; column < map.cols; ++column) {
            map.at<int32_t>(row, column) = column < 20 ? -1 : (row * 2 + 100) * kKinectColorWidth + column * 3;
        }
    }
    return map;
}

// The frame memory as the library would hold it, and a directory to write into.
struct KinectScene {
    cv::Mat registered = sceneColor(kKinectDepthWidth, kKinectDepthHeight);
    cv::Mat fullColor = sceneColor(kKinectColorWidth, kKinectColorHeight);
    cv::Mat depthMm = sceneDepth();
    cv::Mat colorDepthMap = sceneColorDepthMap();
    fs::path outputDir = fs::temp_directory_path() / ("kestrum-benchmark-" + std::to_string(::getpid()));

    KinectScene() { createOutputDirectories(outputDir); }
    ~KinectScene() { fs::remove_all(outputDir); }
    std::string file(const char* name) const { return (outputDir / name).string(); }
};

KinectScene& scene()
{
    static KinectScene kinect;
    return kinect;
}

// The workers of a run are started once, outside the timing, as the capture starts them.
void KinectFrame_AllFiles(benchmark::State& state)
{
    SampledFrame frame;
    frame.color = scene().registered;
    frame.colorFull = scene().fullColor;
    frame.depthMm = scene().depthMm;
    frame.colorDepthMap = scene().colorDepthMap;
    WorkerPool workers(WorkerPool::threadsFor(kKinectFrameImages));
    const DiscardedStandardOutput discarded;
    benchmarkNewFiles(state, scene().outputDir, [&] { writeKinectFrameFiles(workers, scene().outputDir, frame); });
}

void KinectFrame_Bare_ColorJpeg(benchmark::State& state)
{
    cv::Mat bgr;
    cv::cvtColor(scene().registered, bgr, cv::COLOR_BGRA2BGR);
    benchmarkImwrite(state, scene().file("bare-color.jpg"), bgr, {cv::IMWRITE_JPEG_QUALITY, kColorJpegQuality});
}

void KinectFrame_Bare_ColorFullJpeg(benchmark::State& state)
{
    cv::Mat bgr;
    cv::cvtColor(scene().fullColor, bgr, cv::COLOR_BGRA2BGR);
    benchmarkImwrite(state, scene().file("bare-color-full.jpg"), bgr,
                     {cv::IMWRITE_JPEG_QUALITY, kColorFullJpegQuality});
}

void KinectFrame_Bare_DepthPng(benchmark::State& state)
{
    benchmarkImwrite(state, scene().file("bare-depth.png"), depthToMillimetreImage(scene().depthMm), {});
}

} // namespace

BENCHMARK(KinectFrame_AllFiles)->Name("KinectFrame/AllFiles")->Apply(frameWriteTiming);
BENCHMARK(KinectFrame_Bare_ColorJpeg)->Name("KinectFrame/Bare/ColorJpeg512x424q88")->Apply(frameWriteTiming);
BENCHMARK(KinectFrame_Bare_ColorFullJpeg)->Name("KinectFrame/Bare/ColorFullJpeg1920x1080q92")->Apply(frameWriteTiming);
BENCHMARK(KinectFrame_Bare_DepthPng)->Name("KinectFrame/Bare/DepthPng512x424x16")->Apply(frameWriteTiming);
