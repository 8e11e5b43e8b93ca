// Files that appear under their final name only once all their bytes are written.
#include "CompleteFile.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>

namespace {

// The umask can only be read by setting it, which would race with files other
// threads create; so it is read once, while the program is still starting.
const mode_t kNewFileMode = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}();

} // namespace

std::string replaceableTarget(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? path : std::string();
    }
    if (S_ISREG(status.st_mode)) {
        return path;
    }
    if (!S_ISLNK(status.st_mode)) {
        return {};
    }
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved || ::stat(resolved.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return {};
    }
    return resolved.get();
}

namespace {

bool writeAll(int fd, const unsigned char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

CompleteFileResult writeCompleteFile(const std::string& path, const void* data, std::size_t size)
{
    return StagedFile(path, data, size).commit();
}

StagedFile::StagedFile(const std::string& path, const void* data, std::size_t size) : path_(replaceableTarget(path))
{
    if (path_.empty()) {
        staged_ = CompleteFileResult::NotCreated;
        return;
    }
    const std::string::size_type nameStart = path_.rfind('/') + 1;  // 0 without a directory
    std::string temporary = path_.substr(0, nameStart) + "." + path_.substr(nameStart) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        staged_ = CompleteFileResult::NotCreated;
        return;
    }
    FileDescriptor file(fd);
    temporary_ = std::move(temporary);
    if (::fchmod(file.get(), kNewFileMode) != 0 ||
        !writeAll(file.get(), static_cast<const unsigned char*>(data), size) || !file.close()) {
        // Removed at once: on a full disk its blocks may be what another file needs.
        removeTemporary();
        staged_ = CompleteFileResult::NotWritten;
    }
}

StagedFile::StagedFile(CompleteFileResult failure) : staged_(failure) {}

StagedFile StagedFile::failed(CompleteFileResult failure)
{
    return StagedFile(failure);
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::move(other.path_)), temporary_(std::move(other.temporary_)), staged_(other.staged_)
{
    other.temporary_.clear();
}

StagedFile::~StagedFile()
{
    removeTemporary();
}

CompleteFileResult StagedFile::commit()
{
    if (staged_ != CompleteFileResult::Written) {
        return staged_;
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        removeTemporary();
        staged_ = CompleteFileResult::NotCreated;
        return staged_;
    }
    temporary_.clear();
    return CompleteFileResult::Written;
}

void StagedFile::removeTemporary() noexcept
{
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}
