// One picture of a recorded series: a header, the depth legend, the strip of the kept frames' intervals
// and a grid of frames.
#pragma once

#include "SeriesDescription.h"

#include <opencv2/core.hpp>

#include <string>

// The contact sheet of the series in dir, kSheetWidth pixels wide (CV_8UC3). A frame image
// that cannot be read is drawn as a grey area marked "missing".
cv::Mat contactSheet(const std::string& dir, const SeriesDescription& series);
