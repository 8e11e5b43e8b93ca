// What a run of kestrum-capture can write into capture.json: the ranges of its command line, how
// far the measured duration can pass the requested one, how many frames the sampling rule keeps,
// and the image sizes each camera writes.
#pragma once

#include "SeriesDescription.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// The ranges the capture program clamps its duration and sampling rate to; the longest and highest
// are its defaults.
inline constexpr int32_t kShortestDurationMs = 1000;
inline constexpr int32_t kLongestDurationMs = 10000;
inline constexpr int32_t kLowestSampleFps = 1;
inline constexpr int32_t kHighestSampleFps = 10;

// The longest the capture program waits for one frame.
inline constexpr std::chrono::milliseconds kFrameWaitLimit{2000};

// The most frames a run of actualDurationMs at sampleFps (1 to 10) keeps: a frame is kept at most
// 1 ms before its due time, so kept frames lie at least 1000 / sampleFps - 1 ms apart, and
// floor(actualDurationMs / (1000 / sampleFps - 1)) + 1 fit. Computed without rounding.
int64_t mostFramesKept(int64_t actualDurationMs, int64_t sampleFps);

// Why no run of the capture program could have written this capture.json (the first rule it
// breaks), or nothing.
std::optional<std::string> impossibleRunProblem(const SeriesDescription& series);

// The frames to check: savedFrames, but never more than a run with this capture.json's duration
// and rate, taken within the program's ranges, could keep; none when its images are not of its
// camera's sizes.
int64_t framesToCheck(const SeriesDescription& series);
