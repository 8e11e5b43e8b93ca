// What the frame-write benchmarks share: how they are timed, and what each iteration writes into.
#pragma once

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Milliseconds, wall time, and the CPU time of the whole process, so that the workers' time counts.
void frameWriteTiming(benchmark::internal::Benchmark* benchmark);

// Times write, which creates files below directory. A capture never replaces a file, and
// replacing one makes the file system wait for the old one's data, so every iteration
// writes to free names: its files are removed afterwards, untimed. The first call, untimed
// as well, initialises the codecs.
void benchmarkNewFiles(benchmark::State& state, const std::filesystem::path& directory,
                       const std::function<void()>& write);

// A bare image-library call: cv::imwrite of the image as its file holds it.
void benchmarkImwrite(benchmark::State& state, const std::string& path, const cv::Mat& image,
                      const std::vector<int>& params);
