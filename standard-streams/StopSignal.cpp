// The stop request: SIGTERM and SIGINT only set a flag.
#include "StopSignal.h"

#include <csignal>

std::atomic<int> stopRequested{0};

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
