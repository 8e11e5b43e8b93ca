// The command line of kestrum-capture: output directory, duration, sampling rate.
#pragma once

#include "RunLimits.h"

#include <cstdint>
#include <filesystem>

struct CaptureOptions {
    std::filesystem::path outputDir;
    int32_t durationMs = 0;
    int32_t sampleFps = 0;
};

// Reads a decimal number as std::stoi does (leading blanks, sign, trailing text
// ignored). Absent text, text without digits or a number beyond 32 bits gives
// the default; any other number is clamped to [minimum, maximum].
int32_t parseIntArgument(const char* text, int32_t defaultValue, int32_t minimum, int32_t maximum);

// Positional arguments only; arguments after the third are ignored.
CaptureOptions parseCaptureArguments(int argc, const char* const argv[]);
