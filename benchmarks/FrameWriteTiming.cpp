// What the frame-write benchmarks share: how they are timed, and what each iteration writes into.
#include "FrameWriteTiming.h"

#include <opencv2/imgcodecs.hpp>

namespace fs = std::filesystem;

namespace {

void removeFilesBelow(const fs::path& directory)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    for (const fs::path& file : files) {
        fs::remove(file);
    }
}

} // namespace

void frameWriteTiming(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

void benchmarkNewFiles(benchmark::State& state, const fs::path& directory, const std::function<void()>& write)
{
    write();
    removeFilesBelow(directory);
    for (auto _ : state) {
        write();
        state.PauseTiming();
        removeFilesBelow(directory);
        state.ResumeTiming();
    }
}

void benchmarkImwrite(benchmark::State& state, const std::string& path, const cv::Mat& image,
                      const std::vector<int>& params)
{
    benchmarkNewFiles(state, fs::path(path).parent_path(), [&] { cv::imwrite(path, image, params); });
}
