// Console output of the benchmarks plus, per frame kind, one kept frame's files
// beside the bare image-library calls they make.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

// Benchmarks named "<Kind>/AllFiles" are compared with those named
// "<Kind>/Bare/<call>", so a new frame kind only needs benchmarks named that
// way. With repetitions the medians count.
class FrameWriteReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that saved reports stay plain text.
    FrameWriteReporter();
    void ReportRuns(const std::vector<Run>& runs) override;
    // After the table: per kind, the frame's wall and CPU time, the bare calls'
    // serial sum and the largest of them; then one closing line per kind,
    // "<Kind>: wall W of serial bare, cpu C of serial bare".
    void Finalize() override;

private:
    // Milliseconds per iteration.
    struct Times {
        double wallMs = 0.0;
        double cpuMs = 0.0;
        bool median = false;
    };
    // Per kind, per part ("AllFiles", "Bare/<call>").
    std::map<std::string, std::map<std::string, Times>> kinds_;
};
