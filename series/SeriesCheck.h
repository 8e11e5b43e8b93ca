// Checks a recorded test series on disk against its capture.json.
#pragma once

#include "CheckReport.h"
#include "SeriesDescription.h"

#include <string>

// Checks frames 0 to savedFrames-1 on all cores, the counters, and lists the leftovers.
// dir is used as given in the file names of the report.
CheckReport checkSeries(const std::string& dir, const SeriesDescription& series);
