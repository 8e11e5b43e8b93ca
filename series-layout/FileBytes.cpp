// Whole files read into memory: only regular files, and only when their size is one their kind can have.
#include "FileBytes.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

FileBytes failure(std::string problem)
{
    return {{}, std::move(problem)};
}

FileBytes systemFailure(int error)
{
    if (error == ENOENT || error == ENOTDIR) {
        return failure("is missing");
    }
    return failure("cannot be read: " + std::generic_category().message(error));
}

} // namespace

FileBytes readRegularFile(const std::string& path, const FileSizeRule& sizeProblem)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return systemFailure(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return failure("is not a regular file");
    }
    // Without blocking, and checked again on the open file: the name may have been replaced since.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        return systemFailure(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return failure("is not a regular file");
    }
    const auto size = static_cast<uintmax_t>(status.st_size);
    if (std::optional<std::string> problem = sizeProblem(size)) {
        return failure(std::move(*problem));
    }
    FileBytes read;
    read.bytes.resize(static_cast<size_t>(size));
    size_t filled = 0;
    while (filled < read.bytes.size()) {
        const ssize_t count = ::read(file.get(), read.bytes.data() + filled, read.bytes.size() - filled);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return systemFailure(errno);
        }
        if (count == 0) {
            // Cut short since fstat: the rules on the bytes see what is there.
            break;
        }
        filled += static_cast<size_t>(count);
    }
    read.bytes.resize(filled);
    return read;
}
