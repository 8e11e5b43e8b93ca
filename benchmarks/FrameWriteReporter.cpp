// Console output of the benchmarks plus, per frame kind, one kept frame's files
// beside the bare image-library calls they make.
#include "FrameWriteReporter.h"

#include <cstdio>
#include <unistd.h>

namespace {

double milliseconds(double time, benchmark::TimeUnit unit)
{
    return time * 1e3 / benchmark::GetTimeUnitMultiplier(unit);
}

} // namespace

FrameWriteReporter::FrameWriteReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular)
{
}

void FrameWriteReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if ((run.run_type != Run::RT_Iteration && !median) || run.iterations == 0) {
            continue;
        }
        const std::string name = run.run_name.function_name;
        const size_t slash = name.find('/');
        if (slash == std::string::npos) {
            continue;
        }
        Times& times = kinds_[name.substr(0, slash)][name.substr(slash + 1)];
        // A repetition's own figures give way to the median of all.
        if (median || !times.median) {
            times = {milliseconds(run.GetAdjustedRealTime(), run.time_unit),
                     milliseconds(run.GetAdjustedCPUTime(), run.time_unit), median};
        }
    }
}

void FrameWriteReporter::Finalize()
{
    ConsoleReporter::Finalize();
    std::map<std::string, std::pair<double, double>> ratios;
    for (const auto& [kind, parts] : kinds_) {
        const auto files = parts.find("AllFiles");
        Times serial;
        std::string largest;
        double largestMs = 0.0;
        int bareCalls = 0;
        for (const auto& [part, times] : parts) {
            if (part.rfind("Bare/", 0) != 0) {
                continue;
            }
            serial.wallMs += times.wallMs;
            serial.cpuMs += times.cpuMs;
            ++bareCalls;
            if (times.wallMs > largestMs) {
                largest = part.substr(5);
                largestMs = times.wallMs;
            }
        }
        if (files == parts.end() || bareCalls == 0 || serial.wallMs <= 0.0 || serial.cpuMs <= 0.0) {
            continue;
        }
        // The largest bare call is the floor: no parallel writer is faster than its slowest image.
        std::printf("%s: one kept frame's files %.2f ms wall, %.2f ms CPU; its %d bare image-library calls "
                    "one after another %.2f ms wall, %.2f ms CPU; the largest, %s, %.2f ms wall (%.2f of serial)\n",
                    kind.c_str(), files->second.wallMs, files->second.cpuMs, bareCalls, serial.wallMs, serial.cpuMs,
                    largest.c_str(), largestMs, largestMs / serial.wallMs);
        ratios[kind] = {files->second.wallMs / serial.wallMs, files->second.cpuMs / serial.cpuMs};
    }
    for (const auto& [kind, ratio] : ratios) {
        std::printf("%s: wall %.2f of serial bare, cpu %.2f of serial bare\n", kind.c_str(), ratio.first,
                    ratio.second);
    }
}
