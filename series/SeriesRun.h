// One run of kestrum-series: the command line to the exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The arguments after the program name. Exit codes: 0 done (check: the series is whole),
// 1 check: not whole, sheet and points: failed; 2 usage error or no readable capture.json.
int runSeries(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
