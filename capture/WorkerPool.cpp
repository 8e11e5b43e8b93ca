// WorkerPool: threads started once for a whole run that run submitted tasks in the order they came.
#include "WorkerPool.h"

#include <algorithm>

WorkerPool::WorkerPool(unsigned threads)
{
    try {
        for (unsigned started = 0; started < std::max(threads, 1u); ++started) {
            threads_.emplace_back([this] { work(); });
        }
    } catch (...) {
        // The destructor does not run for a half-built pool: join what was started.
        stop();
        throw;
    }
}

WorkerPool::~WorkerPool()
{
    stop();
}

unsigned WorkerPool::threadsFor(unsigned parallelTasks)
{
    // hardware_concurrency may not know and say 0.
    return std::max(1u, std::min(std::thread::hardware_concurrency(), parallelTasks));
}

void WorkerPool::enqueue(std::packaged_task<void()> job)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void WorkerPool::work()
{
    for (;;) {
        std::packaged_task<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        job();
    }
}

void WorkerPool::stop() noexcept
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}
