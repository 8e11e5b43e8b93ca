// The stop request: SIGTERM and SIGINT only set a flag, which the programs read
// between frame waits and while they wait to write to standard output.
#pragma once

#include <atomic>

// 0 at start; set to 1 by handleStopSignal and never cleared. The signal handler sets it on
// whatever thread the signal lands while the programs' threads read it: a lock-free atomic is
// both safe to store from a handler and free of a data race with those readers.
extern std::atomic<int> stopRequested;
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag must be settable from a signal handler");

void handleStopSignal(int signalNumber);

// Installs handleStopSignal for SIGTERM, then SIGINT. Without SA_RESTART, so a
// system call that blocks when the signal comes returns instead of blocking on.
void installStopHandlers();

inline bool isStopRequested()
{
    return stopRequested != 0;
}
