// Checks a recorded test series on disk against its capture.json.
#pragma once

#include "CheckReport.h"
#include "SeriesDescription.h"

#include <cstdint>
#include <string>

// What checking one frame holds at most: all its files' bytes and decoded images at once, each at the
// largest size its kind may have.
uintmax_t frameCheckBytes(const SeriesDescription& series);

// Checks frames 0 to savedFrames-1 on all cores, the counters, and lists the leftovers.
// dir is used as given in the file names of the report.
CheckReport checkSeries(const std::string& dir, const SeriesDescription& series);
