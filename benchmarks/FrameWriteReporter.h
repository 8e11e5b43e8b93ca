// Console output of the benchmarks plus, per frame kind, the whole write
// sequence's time as a multiple of the bare image-library calls it makes.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

// Benchmarks named "<Kind>/AllFiles" are compared with the sum of those named
// "<Kind>/Bare/<call>", so a new frame kind only needs benchmarks named that way.
class FrameWriteReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that saved reports stay plain text.
    FrameWriteReporter();
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    // Wall-clock and CPU nanoseconds per iteration.
    struct KindTimes {
        double allFilesNs = 0.0;
        double allFilesCpuNs = 0.0;
        double bareCallsNs = 0.0;
        double bareCallsCpuNs = 0.0;
        int bareCalls = 0;
    };
    std::map<std::string, KindTimes> kinds_;
};
