// WorkerPool: what a task returns or throws reaches its waiter;
// OrderedFiles: a frame's files end only once every worker is done with them, however they end.
#include "OrderedFiles.h"
#include "WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

TEST(WorkerPool, ResultsAndExceptionsReachTheWaiter)
{
    WorkerPool workers(2);
    std::future<void> failure = workers.submit([] { throw std::runtime_error("Tiefen-PNG"); });
    EXPECT_EQ(workers.submit([] { return 42; }).get(), 42);
    try {
        failure.get();
        ADD_FAILURE() << "the task's exception did not reach its waiter";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Tiefen-PNG");
    }
}

// The first file fails at once while a worker still makes the second from the frame's memory: that
// memory may only go once the worker is done (the sanitizers also see a write after it went).
TEST(OrderedFiles, AFailedFileStillWaitsForTheFilesTheWorkersAreMaking)
{
    WorkerPool workers(1);
    std::atomic<bool> made{false};
    {
        std::vector<int> frameMemory(1000, 0);
        OrderedFiles files(workers, 2);
        files.makeOnWorker(
            1,
            [&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                frameMemory.back() = 1;
                made = true;
                return StagedFile::failed(CompleteFileResult::NotWritten);
            },
            sameMessage("second"));
        files.makeHere(0, [] { return StagedFile::failed(CompleteFileResult::NotCreated); }, sameMessage("first"));
        EXPECT_THROW(files.commitInOrder(), std::runtime_error);
    }
    EXPECT_TRUE(made) << "the files ended while a worker was still making one";
}
