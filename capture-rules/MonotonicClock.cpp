// The clock the capture's timing rules read.
#include "MonotonicClock.h"

MonotonicClock steadyClock()
{
    return [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    };
}
