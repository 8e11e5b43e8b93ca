// The stop request: SIGTERM and SIGINT only set a flag, which the programs read
// between frame waits and while they wait to write to standard output.
#pragma once

#include <csignal>

// 0 at start; set to 1 by handleStopSignal and never cleared.
extern volatile std::sig_atomic_t stopRequested;

void handleStopSignal(int signalNumber);

// Installs handleStopSignal for SIGTERM, then SIGINT. Without SA_RESTART, so a
// system call that blocks when the signal comes returns instead of blocking on.
void installStopHandlers();

inline bool isStopRequested()
{
    return stopRequested != 0;
}
