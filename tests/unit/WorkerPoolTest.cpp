// WorkerPool: what a task returns or throws reaches its waiter, and no submitted task is lost.
#include "WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

TEST(WorkerPool, ResultsAndExceptionsReachTheWaiterAndEveryTaskRunsBeforeThePoolGoes)
{
    std::atomic<int> ran{0};
    std::future<int> answer;
    std::future<void> failure;
    {
        WorkerPool workers(2);
        failure = workers.submit([] { throw std::runtime_error("Tiefen-PNG"); });
        answer = workers.submit([] { return 42; });
        for (int task = 0; task < 50; ++task) {
            workers.submit([&ran] { ++ran; });
        }
    }
    EXPECT_EQ(ran, 50);
    EXPECT_EQ(answer.get(), 42);
    try {
        failure.get();
        ADD_FAILURE() << "the task's exception did not reach its waiter";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Tiefen-PNG");
    }
}
