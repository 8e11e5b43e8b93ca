// Console output of the benchmarks plus, per frame kind, the whole write
// sequence's time as a multiple of the bare image-library calls it makes.
#include "FrameWriteReporter.h"

#include <cstdio>
#include <unistd.h>

FrameWriteReporter::FrameWriteReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular)
{
}

void FrameWriteReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration || run.iterations == 0) {
            continue;
        }
        const std::string name = run.run_name.function_name;
        const size_t slash = name.find('/');
        if (slash == std::string::npos) {
            continue;
        }
        const std::string kind = name.substr(0, slash);
        const std::string part = name.substr(slash + 1);
        const auto iterations = static_cast<double>(run.iterations);
        const double nanoseconds = run.real_accumulated_time * 1e9 / iterations;
        const double cpuNanoseconds = run.cpu_accumulated_time * 1e9 / iterations;
        if (part == "AllFiles") {
            kinds_[kind].allFilesNs = nanoseconds;
            kinds_[kind].allFilesCpuNs = cpuNanoseconds;
        } else if (part.rfind("Bare/", 0) == 0) {
            kinds_[kind].bareCallsNs += nanoseconds;
            kinds_[kind].bareCallsCpuNs += cpuNanoseconds;
            ++kinds_[kind].bareCalls;
        }
    }
}

void FrameWriteReporter::Finalize()
{
    ConsoleReporter::Finalize();
    for (const auto& [kind, times] : kinds_) {
        if (times.bareCallsNs <= 0.0 || times.bareCallsCpuNs <= 0.0) {
            continue;
        }
        // CPU time is the steadier figure on a busy machine; wall time includes waiting for the disk.
        std::printf("%s: all files %.2f ms (CPU %.2f ms), the %d bare image-library calls %.2f ms (CPU %.2f ms); "
                    "ratio %.2f wall, %.2f CPU\n",
                    kind.c_str(), times.allFilesNs / 1e6, times.allFilesCpuNs / 1e6, times.bareCalls,
                    times.bareCallsNs / 1e6, times.bareCallsCpuNs / 1e6, times.allFilesNs / times.bareCallsNs,
                    times.allFilesCpuNs / times.bareCallsCpuNs);
    }
}
