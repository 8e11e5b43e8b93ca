// Runs independent jobs on the machine's cores, within a bound on the memory they hold at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// What the jobs that run at once may hold together: a few hundred MB, whatever the number of cores.
inline constexpr uintmax_t kParallelMemoryBudget = uintmax_t{256} << 20;

// How many of count jobs of bytesPerJob each run at once on a machine with this many cores: no more
// than the cores, nor than fit in kParallelMemoryBudget, nor than there are, but one at least.
size_t jobsAtOnce(size_t count, uintmax_t bytesPerJob, unsigned cores);

// Calls job(i) for every i below count, on jobsAtOnce threads for the machine's cores, and returns
// when all are done. The first exception a job throws is rethrown here.
void parallelFor(size_t count, uintmax_t bytesPerJob, const std::function<void(size_t)>& job);
