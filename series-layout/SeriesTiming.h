// timing.csv, the times of a series' kept frames: the station's clocks when each arrived and what the
// camera said about its colour and depth images. Written by the capture, read by kestrum-series and replay.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kTimingFileName = "timing.csv";

// What the camera said about one image of a kept frame; an optional value is absent where the camera
// library or the frame does not give it.
struct StreamTiming {
    uint64_t frameNumber = 0;                    // the camera's own count
    uint64_t deviceTimestampUs = 0;              // the camera's clock at capture, microseconds
    std::optional<uint64_t> systemTimestampUs;   // the camera library's host clock at arrival
    std::optional<uint64_t> globalTimestampUs;   // the capture moment on the host clock, as the library converts it
    std::optional<double> exposure;              // in the camera's own unit
    std::optional<double> gain;
};

struct CameraTiming {
    StreamTiming color;
    StreamTiming depth;
};

struct FrameTiming {
    int32_t index = 0;
    int64_t timestampMs = 0;              // as in the frame's "frameSaved" line
    int64_t hostWallClockUs = 0;          // UTC, microseconds since 1970, when the frame arrived
    int64_t hostMonotonicUs = 0;          // CLOCK_MONOTONIC, microseconds, at the same moment
    int64_t receivedSincePrevious = 0;    // frames received after the previous kept frame, this one included
    CameraTiming camera;
};

// The host's clocks at the sampling start, the moment timestampMs counts from.
struct SamplingStart {
    int64_t wallClockUs = 0;
    int64_t monotonicUs = 0;
};

struct SeriesTiming {
    std::optional<SamplingStart> samplingStart;   // on every line of the file, so unknown without lines
    std::vector<FrameTiming> frames;
};

// The file's text: a header line of column names, then one line per frame; every line ends with a line
// feed. Integers in plain decimal, exposure and gain as the shortest decimal that reads back as the same
// double, an absent value as an empty field. A series without frames is the header line alone.
std::string timingCsvText(const SeriesTiming& timing);

// A timing file as read: the lines that parse, and why the others do not ("line 4: ...").
struct TimingFile {
    SeriesTiming timing;
    std::vector<size_t> frameLines;   // the file's line of each frame, counted from 1
    std::vector<std::string> problems;
};

TimingFile parseTimingCsv(std::string_view text);

// Whether the file holds the saved frames in order: one frame per saved frame, indexes 0, 1, 2, ...
// ("holds 4 frames, not savedFrames 5", "line 3: index 2, not 1 (...)").
std::vector<std::string> frameOrderProblems(const TimingFile& file, int64_t savedFrames);

// Reads dir/timing.csv; nothing when there is none, as in a series of an earlier version. A file that is
// no regular file, is too large or cannot be read is one problem and no frame.
std::optional<TimingFile> readTimingFile(const std::filesystem::path& dir);
