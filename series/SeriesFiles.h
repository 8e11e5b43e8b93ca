// What the entries of a series' folders are that are no files of its frames.
#pragma once

#include "SeriesDescription.h"

#include <optional>
#include <string>

// Why an entry of one of the five frame folders is left over from something other than this
// series (a temporary file of an interrupted write, a frame beyond savedFrames, a file this
// camera does not write, a name no capture writes), or nothing for a file of this series.
std::optional<std::string> leftoverReason(const SeriesDescription& series, const std::string& subDirectory,
                                          const std::string& name);
