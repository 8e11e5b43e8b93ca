// OrderedFiles: a frame's files made side by side, named in the frame's order as if written one by one.
#include "OrderedFiles.h"

#include <stdexcept>
#include <utility>

OrderedFiles::OrderedFiles(WorkerPool& workers, std::size_t count) : workers_(workers), entries_(count) {}

OrderedFiles::~OrderedFiles()
{
    for (Entry& entry : entries_) {
        if (entry.file.valid()) {
            entry.file.wait();
        }
    }
}

void OrderedFiles::makeOnWorker(std::size_t position, std::function<StagedFile()> make, FailureMessage message)
{
    Entry& entry = entries_.at(position);
    entry = {workers_.submit(std::move(make)), std::move(message)};
}

void OrderedFiles::makeOnWorker(std::size_t position, const std::function<void()>& prepare,
                                std::function<StagedFile()> make, FailureMessage message)
{
    try {
        prepare();
    } catch (...) {
        std::promise<StagedFile> failure;
        failure.set_exception(std::current_exception());
        Entry& entry = entries_.at(position);
        entry = {failure.get_future(), std::move(message)};
        return;
    }
    makeOnWorker(position, std::move(make), std::move(message));
}

void OrderedFiles::makeHere(std::size_t position, const std::function<StagedFile()>& make, FailureMessage message)
{
    Entry& entry = entries_.at(position);
    std::packaged_task<StagedFile()> job(make);
    entry = {job.get_future(), std::move(message)};
    job();
}

void OrderedFiles::commitInOrder(const std::function<void()>& beforeFirstRename)
{
    for (Entry& entry : entries_) {
        StagedFile file = entry.file.get();
        if (&entry == &entries_.front() && beforeFirstRename && file.isStaged()) {
            beforeFirstRename();
        }
        const CompleteFileResult result = file.commit();
        if (result != CompleteFileResult::Written) {
            throw std::runtime_error(entry.message(result));
        }
    }
}

OrderedFiles::FailureMessage sameMessage(std::string message)
{
    return [message = std::move(message)](CompleteFileResult) { return message; };
}
