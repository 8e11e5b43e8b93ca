// What kestrum-series timing says about a series' timing file: the sampling start on the calendar, the
// kept frames' intervals on the host's and on each stream's device clock, the frames the camera dropped,
// the colour-to-depth offset and each device clock's drift against the host's.
#pragma once

#include "ClockDrift.h"
#include "SeriesTiming.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Milliseconds, such as those between consecutive kept frames; jitter is their standard deviation.
struct Spread {
    double medianMs = 0, minMs = 0, maxMs = 0, jitterMs = 0;
};

struct ClockReport {
    std::string clock;                   // "host", "color" or "depth"
    std::optional<Spread> intervals;  // none for fewer than two frames
    int64_t dropped = 0;                 // frames with numbers between kept ones that never arrived (streams only)
    std::optional<ClockDrift> drift;     // against the host (streams only; none for fewer than three frames)
};

// Frame numbers of a stream between two kept frames of which `lost` never arrived.
struct DropGap {
    std::string stream;
    size_t interval = 0;      // between the file's frames interval and interval + 1
    int32_t afterIndex = 0;   // the index of the first of them
    uint64_t firstNumber = 0;
    uint64_t lastNumber = 0;
    int64_t lost = 0;
};

struct TimingReport {
    size_t frames = 0;
    std::optional<SamplingStart> samplingStart;
    std::vector<ClockReport> clocks;   // host, color, depth
    std::vector<DropGap> drops;
    std::optional<Spread> colorToDepth;   // depth less colour device time per frame: median, min, max
};

TimingReport timingReport(const SeriesTiming& timing);

// The frame numbers between consecutive kept frames that never arrived: of the numbers between two kept
// frames, all but the frames received between them.
std::vector<DropGap> dropGaps(const SeriesTiming& timing);

// Text lines for people, or one JSON object a line for programs; each line ends with a line feed.
std::string timingReportText(const TimingReport& report);
std::string timingReportJson(const TimingReport& report);

// Microseconds since 1970 as UTC in ISO 8601 with microseconds: 2024-12-07T18:45:12.123456Z.
std::string utcText(int64_t wallClockUs);
