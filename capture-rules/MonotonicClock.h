// The clock the capture's timing rules read, passed in so that tests can drive it.
#pragma once

#include <chrono>
#include <functional>

// A monotonic clock reading; only differences between readings matter.
using MonotonicClock = std::function<std::chrono::nanoseconds()>;

// std::chrono::steady_clock, for the programs.
MonotonicClock steadyClock();
