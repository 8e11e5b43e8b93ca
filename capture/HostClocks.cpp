// The station's two clocks the capture loop reads.
#include "HostClocks.h"

HostClocks stationClocks()
{
    return {steadyClock(), [] {
                return std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::system_clock::now().time_since_epoch());
            }};
}
