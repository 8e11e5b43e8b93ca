// The stop request of the live stream: SIGTERM and SIGINT only set a flag,
// which the stream loops read between frame waits.
#pragma once

#include <csignal>

// 0 at start; set to 1 by handleStopSignal and never cleared.
extern volatile std::sig_atomic_t stopRequested;

void handleStopSignal(int signalNumber);

// Installs handleStopSignal for SIGTERM, then SIGINT.
void installStopHandlers();
