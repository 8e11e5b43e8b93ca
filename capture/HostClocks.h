// The station's two clocks the capture loop reads, passed in so that tests can drive them.
#pragma once

#include "MonotonicClock.h"

#include <chrono>
#include <functional>

// The wall clock: UTC, as time since 1970-01-01 00:00:00 without leap seconds.
using WallClock = std::function<std::chrono::microseconds()>;

struct HostClocks {
    MonotonicClock monotonic;
    WallClock wall;
};

// std::chrono::steady_clock (CLOCK_MONOTONIC) and std::chrono::system_clock (CLOCK_REALTIME).
HostClocks stationClocks();
