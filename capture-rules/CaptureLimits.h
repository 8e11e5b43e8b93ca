// The capture's time limits: its warm-up, and through RunLimits.h the ranges of its command line
// and its frame wait, which capture.json's checks share.
#pragma once

#include "RunLimits.h"

#include <chrono>

// Frames fetched and discarded before sampling starts.
inline constexpr int kWarmupFrames = 15;

// How long one warm-up frame may take; a longer wait ends a capture.
inline constexpr std::chrono::milliseconds kOrbbecWarmupWait{2000};
inline constexpr std::chrono::milliseconds kKinectWarmupWait{5000};
