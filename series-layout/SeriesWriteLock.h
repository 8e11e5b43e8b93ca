// One capture at a time per series directory: the capture's lock on the directory it writes into,
// and the question whether a capture holds it. Both are advisory locks on the directory itself,
// which the kernel lets go when the holder ends, however it ends (kill -9 included).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

class FileDescriptor;

// Held for as long as it lives.
class SeriesWriteLock {
public:
    SeriesWriteLock(SeriesWriteLock&&) noexcept;
    SeriesWriteLock& operator=(SeriesWriteLock&&) noexcept;
    ~SeriesWriteLock();

private:
    friend std::optional<SeriesWriteLock> lockSeriesForWriting(const std::filesystem::path& dir);
    explicit SeriesWriteLock(std::unique_ptr<FileDescriptor> directory);
    std::unique_ptr<FileDescriptor> directory_;
};

// Takes the lock on dir (the working directory when empty) without waiting; nothing when another
// capture holds it. A directory this user may not open for reading, or one on a file system that
// keeps no locks, gives a lock that holds nothing: the capture goes on as it would without one.
std::optional<SeriesWriteLock> lockSeriesForWriting(const std::filesystem::path& dir);

enum class SeriesWriting {
    None,        // no capture writes into it (also: it is no directory)
    ByCapture,   // a capture holds its lock
    CannotTell,  // it cannot be opened for reading, or its file system cannot be asked
};

// Whether a capture writes into dir at this moment. Takes no lock, so asking never stands in the way
// of a capture that starts at the same moment.
SeriesWriting seriesWriting(const std::filesystem::path& dir);
