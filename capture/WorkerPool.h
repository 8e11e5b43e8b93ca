// WorkerPool: threads started once for a whole run that run submitted tasks in the order they came.
#pragma once

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

class WorkerPool {
public:
    // At least one thread.
    explicit WorkerPool(unsigned threads);
    // Runs every task already submitted, then joins the threads.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // No more threads than the machine has cores or there are tasks to run side by side.
    static unsigned threadsFor(unsigned parallelTasks);

    // The task's result, or the exception it threw, reaches whoever waits on the future.
    template <typename Task>
    std::future<std::invoke_result_t<Task>> submit(Task task)
    {
        std::packaged_task<std::invoke_result_t<Task>()> job(std::move(task));
        auto result = job.get_future();
        enqueue(std::packaged_task<void()>([job = std::move(job)]() mutable { job(); }));
        return result;
    }

private:
    void enqueue(std::packaged_task<void()> job);
    void work();
    void stop() noexcept;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<void()>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
