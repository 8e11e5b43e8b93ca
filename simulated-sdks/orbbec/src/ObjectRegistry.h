// Bookkeeping behind OrbbecObserver.h: the call log, the live-object counts, the frameset timeouts.
#pragma once

#include "kestrum_sim/OrbbecObserver.h"

namespace kestrum_sim::orbbec {

void recordCall(const char* function);
void noteCreated(OrbbecObjectKind kind);
void noteReleased(OrbbecObjectKind kind);
void noteFramesetTimeout();

// A base that counts the live objects of one kind.
template <OrbbecObjectKind Kind> struct Counted {
    Counted() { noteCreated(Kind); }
    Counted(const Counted&) { noteCreated(Kind); }
    Counted& operator=(const Counted&) = default;
    ~Counted() { noteReleased(Kind); }
};

}  // namespace kestrum_sim::orbbec
