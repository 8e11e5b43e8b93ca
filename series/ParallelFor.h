// Runs independent jobs on the machine's cores, within a bound on the memory they hold at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// What the jobs that run at once may hold together: a few hundred MB, whatever the number of cores.
inline constexpr uintmax_t kParallelMemoryBudget = uintmax_t{256} << 20;

// Calls job(i) for every i below count, on as many threads as the machine has cores but no more
// than jobs of bytesPerJob fit in kParallelMemoryBudget (at least one), and returns when all are
// done. The first exception a job throws is rethrown here.
void parallelFor(size_t count, uintmax_t bytesPerJob, const std::function<void(size_t)>& job);
