// One aligned grab from the simulated Orbbec camera, and writing one Orbbec
// frame's four files beside the three bare image-library calls it makes (JPEG
// 1280x720 q88 and q92, PNG 1280x720 16-bit).
#include "ColorJpeg.h"
#include "DepthConversion.h"
#include "DiscardedStandardOutput.h"
#include "FrameWriteTiming.h"
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
    std::string file(const char* name) const { return (outputDir / name).string(); }
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

// The workers of a run are started once, outside the timing, as the capture starts them.
void OrbbecFrame_AllFiles(benchmark::State& state)
{
    SampledFrame frame;
    frame.color = scene().frame.color;
    frame.colorFull = scene().frame.color;
    frame.depthMm = scene().frame.depth;
    WorkerPool workers(WorkerPool::threadsFor(kOrbbecFrameImages));
    const DiscardedStandardOutput discarded;
    benchmarkNewFiles(state, scene().outputDir, [&] { writeOrbbecFrameFiles(workers, scene().outputDir, frame); });
}

void OrbbecFrame_Bare_ColorJpeg(benchmark::State& state)
{
    benchmarkImwrite(state, scene().file("bare-color.jpg"), scene().frame.color,
                     {cv::IMWRITE_JPEG_QUALITY, kColorJpegQuality});
}

void OrbbecFrame_Bare_ColorFullJpeg(benchmark::State& state)
{
    benchmarkImwrite(state, scene().file("bare-color-full.jpg"), scene().frame.color,
                     {cv::IMWRITE_JPEG_QUALITY, kColorFullJpegQuality});
}

void OrbbecFrame_Bare_DepthPng(benchmark::State& state)
{
    benchmarkImwrite(state, scene().file("bare-depth.png"), depthToMillimetreImage(scene().frame.depth), {});
}

// The benchmarks need a camera: attach the simulated one unless the caller chose settings.
const bool simulatedCameraAttached = ::setenv("KESTRUM_SIM_ORBBEC", "attached", 0) == 0;

} // namespace

BENCHMARK(OrbbecGrab_AlignedRgbd)->Name("OrbbecGrab/AlignedRgbd1280x720")->Unit(benchmark::kMillisecond);
BENCHMARK(OrbbecFrame_AllFiles)->Name("OrbbecFrame/AllFiles")->Apply(frameWriteTiming);
BENCHMARK(OrbbecFrame_Bare_ColorJpeg)->Name("OrbbecFrame/Bare/ColorJpeg1280x720q88")->Apply(frameWriteTiming);
BENCHMARK(OrbbecFrame_Bare_ColorFullJpeg)->Name("OrbbecFrame/Bare/ColorFullJpeg1280x720q92")->Apply(frameWriteTiming);
BENCHMARK(OrbbecFrame_Bare_DepthPng)->Name("OrbbecFrame/Bare/DepthPng1280x720x16")->Apply(frameWriteTiming);
