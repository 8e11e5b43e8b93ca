// One capture at a time per series directory. Two locks on the directory: flock's exclusive lock, which
// only captures take, so a capture that finds it held has met another capture; and an open file
// description's read lock, which fcntl can test without taking anything, for everyone who asks.
#include "SeriesWriteLock.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace {

int openDirectory(const std::filesystem::path& dir)
{
    const std::filesystem::path path = dir.empty() ? std::filesystem::path(".") : dir;
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
}

// All of the directory: a lock of fcntl covers a range of bytes.
struct flock wholeDirectory(short type)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    return range;
}

} // namespace

SeriesWriteLock::SeriesWriteLock(std::unique_ptr<FileDescriptor> directory) : directory_(std::move(directory)) {}
SeriesWriteLock::SeriesWriteLock(SeriesWriteLock&&) noexcept = default;
SeriesWriteLock& SeriesWriteLock::operator=(SeriesWriteLock&&) noexcept = default;
SeriesWriteLock::~SeriesWriteLock() = default;

std::optional<SeriesWriteLock> lockSeriesForWriting(const std::filesystem::path& dir)
{
    auto directory = std::make_unique<FileDescriptor>(openDirectory(dir));
    if (directory->get() < 0) {
        return SeriesWriteLock(nullptr);
    }
    int taken;
    do {
        taken = ::flock(directory->get(), LOCK_EX | LOCK_NB);
    } while (taken != 0 && errno == EINTR);
    if (taken != 0) {
        if (errno == EWOULDBLOCK) {
            return std::nullopt;
        }
        return SeriesWriteLock(nullptr);
    }
    // Where the file system refuses it, askers cannot see the capture, which still keeps others out.
    struct flock range = wholeDirectory(F_RDLCK);
    ::fcntl(directory->get(), F_OFD_SETLK, &range);
    return SeriesWriteLock(std::move(directory));
}

SeriesWriting seriesWriting(const std::filesystem::path& dir)
{
    const FileDescriptor directory(openDirectory(dir));
    if (directory.get() < 0) {
        return errno == ENOENT || errno == ENOTDIR ? SeriesWriting::None : SeriesWriting::CannotTell;
    }
    // Would a write lock fit? Only the capture's read lock stands in its way.
    struct flock range = wholeDirectory(F_WRLCK);
    if (::fcntl(directory.get(), F_OFD_GETLK, &range) != 0) {
        return SeriesWriting::CannotTell;
    }
    return range.l_type == F_UNLCK ? SeriesWriting::None : SeriesWriting::ByCapture;
}
