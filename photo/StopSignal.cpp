// The stop request of the live stream.
#include "StopSignal.h"

volatile std::sig_atomic_t stopRequested = 0;

void handleStopSignal(int)
{
    stopRequested = 1;
}

void installStopHandlers()
{
    std::signal(SIGTERM, handleStopSignal);
    std::signal(SIGINT, handleStopSignal);
}
