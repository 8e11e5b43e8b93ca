// Runs independent jobs on all of the machine's cores.
#pragma once

#include <cstddef>
#include <functional>

// Calls job(i) for every i below count, on as many threads as the machine has cores, and
// returns when all are done. The first exception a job throws is rethrown here.
void parallelFor(size_t count, const std::function<void(size_t)>& job);
