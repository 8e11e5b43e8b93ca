// OrderedFiles: a frame's files made side by side, named in the frame's order as if written one by one.
#pragma once

#include "CompleteFile.h"
#include "WorkerPool.h"

#include <cstddef>
#include <functional>
#include <future>
#include <string>
#include <vector>

class OrderedFiles {
public:
    // The error message for a file that could not be staged or renamed.
    using FailureMessage = std::function<std::string(CompleteFileResult)>;

    // Files at positions 0 .. count-1; every position is to be made once.
    OrderedFiles(WorkerPool& workers, std::size_t count);
    // Waits for every file still being made, so that nothing a worker reads may
    // go before it is done; files not committed leave nothing behind.
    ~OrderedFiles();
    OrderedFiles(const OrderedFiles&) = delete;
    OrderedFiles& operator=(const OrderedFiles&) = delete;

    // Stages the file on a worker.
    void makeOnWorker(std::size_t position, std::function<StagedFile()> make, FailureMessage message);
    // As makeOnWorker, once prepare has run here (a conversion the file shares
    // with a later one); an exception from prepare becomes this file's failure.
    void makeOnWorker(std::size_t position, const std::function<void()>& prepare, std::function<StagedFile()> make,
                      FailureMessage message);
    // Stages the file here and now; an exception waits for the file's turn.
    void makeHere(std::size_t position, const std::function<StagedFile()>& make, FailureMessage message);

    // Renames the files onto their paths in position order. At the first that
    // failed, throws what writing them one by one would have thrown there: the
    // exception its making threw, or std::runtime_error with its message; the
    // files after it never appear. beforeFirstRename, when given, runs once the
    // first file is staged and just before it is renamed; what it throws ends
    // the commit there, before any file appears.
    void commitInOrder(const std::function<void()>& beforeFirstRename = {});

private:
    struct Entry {
        std::future<StagedFile> file;
        FailureMessage message;
    };
    WorkerPool& workers_;
    std::vector<Entry> entries_;
};

// One message whatever the failure (the image files).
OrderedFiles::FailureMessage sameMessage(std::string message);
