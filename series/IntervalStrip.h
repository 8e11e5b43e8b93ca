// The contact sheet's strip of the kept frames' timing, so that a stall or dropped frames show at a glance.
#pragma once

#include "SeriesTiming.h"

#include <opencv2/core.hpp>

#include <optional>

inline constexpr int kIntervalStripHeight = 80;

// A bar per interval between consecutive kept frames on the host's clock, from left to right, with a line
// at the sampling interval; the bar of a stall (more than one and a half sampling intervals) is red, and
// a red mark under a bar tells that the camera dropped frames in that interval. Without a timing file the
// strip says so. Draws into strip (CV_8UC3), whose background it leaves where nothing is drawn.
void drawIntervalStrip(cv::Mat strip, const std::optional<TimingFile>& timing, double sampleIntervalMs);
