// One aligned grab from the simulated Orbbec camera, and writing one Orbbec
// frame's four files beside the three image-library calls inside it (JPEG
// 1280x720 q88 and q92, PNG 1280x720 16-bit).
#include "ColorJpeg.h"
#include "DiscardedStandardOutput.h"
#include "OrbbecCamera.h"
#include "OrbbecFrameFiles.h"
#include "OutputDirectories.h"

#include <opencv2/imgcodecs.hpp>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kGrabWaitMs = 2000;

// One aligned frame as the camera hands it out, and a directory to write into.
struct OrbbecScene {
    OrbbecRgbdFrame frame;
    fs::path outputDir = fs::temp_directory_path() / ("kestrum-benchmark-orbbec-" + std::to_string(::getpid()));

    OrbbecScene()
    {
        createOutputDirectories(outputDir);
        OrbbecCamera camera(OrbbecCamera::Mode::Rgbd);
        camera.start();
        frame = camera.grabAlignedRgbd(kGrabWaitMs);
    }
    ~OrbbecScene() { fs::remove_all(outputDir); }
};

OrbbecScene& scene()
{
    static OrbbecScene orbbec;
    return orbbec;
}

// The CPU time is the grab's own work (wait, colour copy, depth conversion);
// the wall time also holds the wait for the camera's next frameset.
void OrbbecGrab_AlignedRgbd(benchmark::State& state)
{
    OrbbecCamera camera(OrbbecCamera::Mode::Rgbd);
    camera.start();
    camera.grabAlignedRgbd(kGrabWaitMs);
    for (auto _ : state) {
        benchmark::DoNotOptimize(camera.grabAlignedRgbd(kGrabWaitMs));
    }
}

void OrbbecFrame_AllFiles(benchmark::State& state)
{
    SampledFrame frame;
    frame.color = scene().frame.color;
    frame.colorFull = scene().frame.color;
    frame.depthMm = scene().frame.depth;
    const DiscardedStandardOutput discarded;
    writeOrbbecFrameFiles(scene().outputDir, frame);
    for (auto _ : state) {
        writeOrbbecFrameFiles(scene().outputDir, frame);
    }
}

void benchmarkJpeg(benchmark::State& state, const char* name, int quality)
{
    const std::string path = (scene().outputDir / name).string();
    writeJpeg(scene().frame.color, path, quality);
    for (auto _ : state) {
        writeJpeg(scene().frame.color, path, quality);
    }
}

void OrbbecFrame_Bare_ColorJpeg(benchmark::State& state)
{
    benchmarkJpeg(state, "bare-color.jpg", kColorJpegQuality);
}

void OrbbecFrame_Bare_ColorFullJpeg(benchmark::State& state)
{
    benchmarkJpeg(state, "bare-color-full.jpg", kColorFullJpegQuality);
}

void OrbbecFrame_Bare_DepthPng(benchmark::State& state)
{
    cv::Mat millimetres;
    scene().frame.depth.convertTo(millimetres, CV_16UC1);
    const std::string path = (scene().outputDir / "bare-depth.png").string();
    cv::imwrite(path, millimetres);
    for (auto _ : state) {
        cv::imwrite(path, millimetres);
    }
}

// The benchmarks need a camera: attach the simulated one unless the caller chose settings.
const bool simulatedCameraAttached = ::setenv("KESTRUM_SIM_ORBBEC", "attached", 0) == 0;

} // namespace

BENCHMARK(OrbbecGrab_AlignedRgbd)->Name("OrbbecGrab/AlignedRgbd1280x720")->Unit(benchmark::kMillisecond);
BENCHMARK(OrbbecFrame_AllFiles)->Name("OrbbecFrame/AllFiles")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OrbbecFrame_Bare_ColorJpeg)
    ->Name("OrbbecFrame/Bare/ColorJpeg1280x720q88")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(OrbbecFrame_Bare_ColorFullJpeg)
    ->Name("OrbbecFrame/Bare/ColorFullJpeg1280x720q92")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(OrbbecFrame_Bare_DepthPng)
    ->Name("OrbbecFrame/Bare/DepthPng1280x720x16")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
