// Test-only view into the simulated Orbbec SDK (not part of the SDK's API): the
// C functions called, in order, the SDK objects alive right now, and a frameset wait that runs out.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrum_sim {

enum class OrbbecObjectKind {
    Context,
    DeviceList,
    Device,
    DeviceInfo,
    Pipeline,
    Config,
    StreamProfileList,
    StreamProfile,
    Frame,
    Filter,
    FilterConfigSchemaList,
    Error,
};

// Forgets the calls recorded so far and records every call from now on; until
// the first call of this function nothing is recorded, so that long runs do not grow a log.
void startOrbbecCallLog();

// The names of the C functions called since startOrbbecCallLog ("ob_pipeline_stop", ...), in order.
std::vector<std::string> orbbecCallLog();

// SDK objects of that kind that exist now: created and not yet released.
std::size_t liveOrbbecObjects(OrbbecObjectKind kind);

// SDK objects of every kind that exist now.
std::size_t liveOrbbecObjects();

// Calls the function (null: none) on the waiting thread when a wait for a frameset has run out,
// just before the wait reports that none came, so a test can have something happen during a wait.
void observeOrbbecFramesetTimeouts(void (*whenRunOut)());

}  // namespace kestrum_sim
