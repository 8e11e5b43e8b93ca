// What kestrum-series timing says about a series' timing file.
#include "TimingReport.h"

#include "TimingRules.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

struct Stream {
    const char* name;
    StreamTiming CameraTiming::*member;
};

const Stream kStreams[] = {{"color", &CameraTiming::color}, {"depth", &CameraTiming::depth}};

std::optional<Spread> statisticsOf(std::vector<double> valuesMs)
{
    if (valuesMs.empty()) return std::nullopt;
    std::sort(valuesMs.begin(), valuesMs.end());
    const size_t n = valuesMs.size();
    Spread statistics;
    statistics.medianMs = n % 2 == 1 ? valuesMs[n / 2] : (valuesMs[n / 2 - 1] + valuesMs[n / 2]) / 2;
    statistics.minMs = valuesMs.front();
    statistics.maxMs = valuesMs.back();
    double mean = 0;
    for (double value : valuesMs) mean += value / static_cast<double>(n);
    double squares = 0;
    for (double value : valuesMs) squares += (value - mean) * (value - mean);
    statistics.jitterMs = std::sqrt(squares / static_cast<double>(n));
    return statistics;
}

std::optional<Spread> intervalsOf(const std::vector<int64_t>& timesUs)
{
    std::vector<double> intervals;
    for (size_t k = 1; k < timesUs.size(); ++k) intervals.push_back(static_cast<double>(timesUs[k] - timesUs[k - 1]) / 1000.0);
    return statisticsOf(intervals);
}

std::string fixed3(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Rounded to the microsecond, as the times are.
double roundedMs(double value)
{
    return std::round(value * 1000.0) / 1000.0;
}

std::string intervalsText(const std::optional<Spread>& intervals)
{
    if (!intervals) return "no intervals";
    return "intervals median " + fixed3(intervals->medianMs) + " ms, min " + fixed3(intervals->minMs) + " ms, max " +
           fixed3(intervals->maxMs) + " ms, jitter " + fixed3(intervals->jitterMs) + " ms";
}

std::string jsonLine(const nlohmann::ordered_json& object)
{
    return object.dump() + "\n";
}

void addIntervals(nlohmann::ordered_json& object, const std::optional<Spread>& intervals)
{
    if (!intervals) return;
    object["medianMs"] = roundedMs(intervals->medianMs);
    object["minMs"] = roundedMs(intervals->minMs);
    object["maxMs"] = roundedMs(intervals->maxMs);
    object["jitterMs"] = roundedMs(intervals->jitterMs);
}

} // namespace

std::vector<DropGap> dropGaps(const SeriesTiming& timing)
{
    std::vector<DropGap> gaps;
    for (const Stream& stream : kStreams) {
        for (size_t k = 1; k < timing.frames.size(); ++k) {
            const uint64_t before = (timing.frames[k - 1].camera.*stream.member).frameNumber;
            const uint64_t now = (timing.frames[k].camera.*stream.member).frameNumber;
            if (now <= before + 1) continue;
            const auto between = static_cast<int64_t>(now - before - 1);
            const int64_t lost = between - (timing.frames[k].receivedSincePrevious - 1);
            if (lost > 0) gaps.push_back({stream.name, k - 1, timing.frames[k - 1].index, before + 1, now - 1, lost});
        }
    }
    return gaps;
}

TimingReport timingReport(const SeriesTiming& timing)
{
    TimingReport report;
    report.frames = timing.frames.size();
    report.samplingStart = timing.samplingStart;
    report.drops = dropGaps(timing);
    std::vector<int64_t> arrivals;
    std::vector<double> offsetsMs;
    for (const FrameTiming& frame : timing.frames) {
        arrivals.push_back(frame.hostMonotonicUs);
        offsetsMs.push_back(static_cast<double>(static_cast<int64_t>(frame.camera.depth.deviceTimestampUs -
                                                                     frame.camera.color.deviceTimestampUs)) / 1000.0);
    }
    report.clocks.push_back({"host", intervalsOf(arrivals), 0, std::nullopt});
    for (const Stream& stream : kStreams) {
        std::vector<int64_t> device;
        std::vector<ClockReading> readings;
        const std::vector<int64_t> host = hostTimesFor(timing, stream.member);
        for (size_t k = 0; k < timing.frames.size(); ++k) {
            device.push_back(static_cast<int64_t>((timing.frames[k].camera.*stream.member).deviceTimestampUs));
            readings.push_back({host[k], device.back()});
        }
        ClockReport clock{stream.name, intervalsOf(device), 0, clockDrift(readings)};
        for (const DropGap& gap : report.drops) {
            if (gap.stream == stream.name) clock.dropped += gap.lost;
        }
        report.clocks.push_back(clock);
    }
    report.colorToDepth = statisticsOf(offsetsMs);
    return report;
}

std::string utcText(int64_t wallClockUs)
{
    const int64_t seconds = wallClockUs / 1'000'000 - (wallClockUs % 1'000'000 < 0 ? 1 : 0);
    const int64_t micro = wallClockUs - seconds * 1'000'000;
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&time, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06lldZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<long long>(micro));
    return text;
}

std::string timingReportText(const TimingReport& report)
{
    std::string text = "sampling start: " +
                       (report.samplingStart ? utcText(report.samplingStart->wallClockUs) : std::string("unknown, no frames")) +
                       "\n";
    for (const ClockReport& clock : report.clocks) {
        text += clock.clock + ": " + std::to_string(report.frames) + (report.frames == 1 ? " frame, " : " frames, ") +
                intervalsText(clock.intervals);
        if (clock.clock != "host") {
            text += ", " + std::to_string(clock.dropped) + " dropped, drift ";
            char drift[96] = "unknown";
            if (clock.drift) std::snprintf(drift, sizeof drift, "%+.1f ppm (+-%.1f)", clock.drift->ppm, clock.drift->uncertaintyPpm);
            text += drift;
        }
        text += "\n";
    }
    for (const DropGap& gap : report.drops) {
        const std::string numbers = gap.firstNumber == gap.lastNumber
                                        ? "frame number " + std::to_string(gap.firstNumber)
                                        : "frame numbers " + std::to_string(gap.firstNumber) + " to " +
                                              std::to_string(gap.lastNumber);
        text += "dropped: " + gap.stream + " " + numbers + " after index " + std::to_string(gap.afterIndex) + ": " +
                std::to_string(gap.lost) + " of " + std::to_string(gap.lastNumber - gap.firstNumber + 1) + "\n";
    }
    text += "color-to-depth offset: ";
    text += report.colorToDepth ? "median " + fixed3(report.colorToDepth->medianMs) + " ms, min " +
                                      fixed3(report.colorToDepth->minMs) + " ms, max " +
                                      fixed3(report.colorToDepth->maxMs) + " ms\n"
                                : std::string("unknown, no frames\n");
    return text;
}

std::string timingReportJson(const TimingReport& report)
{
    nlohmann::ordered_json start{{"type", "start"}};
    if (report.samplingStart) {
        start["wallClockUs"] = report.samplingStart->wallClockUs;
        start["utc"] = utcText(report.samplingStart->wallClockUs);
    }
    std::string text = jsonLine(start);
    for (const ClockReport& clock : report.clocks) {
        nlohmann::ordered_json line{{"type", "clock"}, {"clock", clock.clock}, {"frames", report.frames}};
        addIntervals(line, clock.intervals);
        if (clock.clock != "host") {
            line["dropped"] = clock.dropped;
            if (clock.drift) {
                line["driftPpm"] = std::round(clock.drift->ppm * 10) / 10;
                line["driftUncertaintyPpm"] = std::round(clock.drift->uncertaintyPpm * 10) / 10;
            }
        }
        text += jsonLine(line);
    }
    for (const DropGap& gap : report.drops) {
        text += jsonLine({{"type", "drop"},
                          {"stream", gap.stream},
                          {"afterIndex", gap.afterIndex},
                          {"firstNumber", gap.firstNumber},
                          {"lastNumber", gap.lastNumber},
                          {"lost", gap.lost}});
    }
    nlohmann::ordered_json offset{{"type", "colorToDepth"}};
    addIntervals(offset, report.colorToDepth);
    offset.erase("jitterMs");
    text += jsonLine(offset);
    return text;
}
