// The stop request: SIGTERM and SIGINT only set a flag.
#include "StopSignal.h"

volatile std::sig_atomic_t stopRequested = 0;

void handleStopSignal(int)
{
    stopRequested = 1;
}

void installStopHandlers()
{
    struct sigaction action = {};
    action.sa_handler = handleStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
