// A small pool of threads that take job numbers from a shared counter.
#include "ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Joins every thread on the way out, also when starting one of them failed.
class ThreadGroup {
public:
    ~ThreadGroup()
    {
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }
    template <typename Work> void start(Work work) { threads_.emplace_back(std::move(work)); }

private:
    std::vector<std::thread> threads_;
};

} // namespace

size_t jobsAtOnce(size_t count, uintmax_t bytesPerJob, unsigned cores)
{
    const uintmax_t fitting = std::max<uintmax_t>(1, kParallelMemoryBudget / std::max<uintmax_t>(1, bytesPerJob));
    return static_cast<size_t>(std::min<uintmax_t>({count, std::max(1u, cores), fitting}));
}

void parallelFor(size_t count, uintmax_t bytesPerJob, const std::function<void(size_t)>& job)
{
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&] {
        for (size_t i = next++; i < count; i = next++) {
            try {
                job(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure) {
                    failure = std::current_exception();
                }
                next = count;
            }
        }
    };
    const size_t threads = jobsAtOnce(count, bytesPerJob, std::thread::hardware_concurrency());
    {
        ThreadGroup group;
        for (size_t i = 1; i < threads; ++i) {
            group.start(work);
        }
        work();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}
