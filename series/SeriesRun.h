// One run of kestrum-series: the command line to the exit code.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// Writes all the bytes to standard output; false when not all of them were written.
using StandardOutputWriter = std::function<bool(std::string_view bytes)>;

// The arguments after the program name. Exit codes: 0 done (check: the series is whole),
// 1 check: not whole, or its report not written; timing: no timing file, one with a line that does not
// read, or its report not written; sheet and points: failed; 2 usage error, a directory a capture is
// writing into, no readable capture.json, (sheet and points) one that no run of the capture program
// could write, or (points) intrinsics that put points at infinity.
int runSeries(const std::vector<std::string>& args, const StandardOutputWriter& writeOutput, std::ostream& err);
