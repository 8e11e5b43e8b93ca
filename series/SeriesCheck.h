// Checks a recorded test series on disk against its capture.json.
#pragma once

#include "CheckReport.h"
#include "SeriesDescription.h"

#include <cstdint>
#include <string>

// What checking one frame holds at most: all its files' bytes and decoded images at once, each at the
// largest size its kind may have.
uintmax_t frameCheckBytes(const SeriesDescription& series);

// Checks the counters, the timing file, frames 0 to savedFrames-1 on all cores, and lists the leftovers;
// a series without a timing file is one of an earlier version, which is noted.
// dir is used as given in the file names of the report.
CheckReport checkSeries(const std::string& dir, const SeriesDescription& series);
