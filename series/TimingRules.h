// The rules a series' timing file is checked against, on the file already read.
#pragma once

#include "SeriesDescription.h"
#include "SeriesTiming.h"

#include <string>
#include <vector>

// A device clock that moves this much more or less than the host's between two kept frames has jumped:
// beyond any delay of a frame's arrival a working camera shows (the Orbbec SDK's queue holds a third
// of a second of frames).
inline constexpr int64_t kDeviceClockJumpUs = 500'000;
// Colour and depth of one frame further apart in device time were not taken together.
inline constexpr int64_t kColorDepthApartUs = 100'000;
// How far the wall clock may move against the monotonic one during a run: NTP slews by at most
// 0.05 %, which is 7.5 ms in the longest run.
inline constexpr int64_t kWallClockSlackUs = 20'000;
// The least drift of a device clock against the host's that is a fault; quartz keeps within 0.01 %.
inline constexpr double kLeastDriftFaultPpm = 1000.0;
// How far frames arriving ever later (or sooner) over a run can make a device clock seem to drift: as
// far as one frame's arrival may be late, so a drift is a fault only where it adds up to more than
// that over the run.
inline constexpr int64_t kArrivalDelaySwingUs = kDeviceClockJumpUs;

// What the file's lines break (each "line N: ..."), then the faults of the whole file: frames that are
// not the series' saved ones in order, times that no run of the capture could have taken, device clocks
// that go back, jump or drift against the host's, and colour and depth far apart in device time. A drift
// is a fault beyond kLeastDriftFaultPpm, beyond four standard errors of its estimate and beyond
// kArrivalDelaySwingUs over the run.
std::vector<std::string> timingProblems(const TimingFile& file, const SeriesDescription& series);

// The host clock a stream's device clock is compared with: the camera library's own arrival time where
// every frame has one (it knows nothing of the capture's queueing), else the capture's arrival time.
std::vector<int64_t> hostTimesFor(const SeriesTiming& timing, StreamTiming CameraTiming::*stream);
