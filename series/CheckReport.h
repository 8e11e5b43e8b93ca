// The outcome of checking a series, and its output lines: plain text or one JSON object a line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Finding {
    std::string file;   // the series directory as given, joined with the file's place in it
    std::string what;
};

struct CheckReport {
    int64_t frames = 0;
    std::vector<Finding> faults;     // in frame order, then file order
    std::vector<Finding> leftovers;  // sorted by file
    std::vector<Finding> notes;      // what is neither a fault nor a leftover, such as no timing file
    bool whole() const { return faults.empty(); }
};

// "fault: FILE: WHAT", "leftover: FILE: WHAT" and "note: FILE: WHAT" lines, control characters in them
// written as \xHH, then "summary: whole|not whole, N frames, N faults, N leftovers"; each line ends with a
// line feed.
std::string checkReportText(const CheckReport& report);

// {"type":"fault"|"leftover"|"note","file":...,"what":...} lines, then
// {"type":"summary","whole":...,"frames":N,"faults":N,"leftovers":N}.
std::string checkReportJson(const CheckReport& report);
