// The command line of kestrum-series.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SeriesArguments {
    enum class Command { Check, Sheet, Points, Timing };
    Command command = Command::Check;
    std::string dir;
    bool json = false;     // check, timing: JSON lines instead of text
    int32_t index = 0;     // points: the frame
    std::string output;    // sheet and points: the file to write
};

// The arguments after the program name; nothing for a usage error.
std::optional<SeriesArguments> parseSeriesArguments(const std::vector<std::string>& args);

// For standard error, with a line feed at the end of each line.
extern const char* const kSeriesUsage;
