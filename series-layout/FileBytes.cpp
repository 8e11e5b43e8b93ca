// Whole files read into memory: only regular files, and only when their size is one their kind can have.
#include "FileBytes.h"

#include "FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string systemProblem(int error)
{
    if (error == ENOENT || error == ENOTDIR) {
        return "is missing";
    }
    return "cannot be read: " + std::generic_category().message(error);
}

// Hands the open file and its size to read when path is a regular file of a size the rule accepts;
// else why not.
template <typename Read>
std::optional<std::string> withRegularFile(const std::string& path, const FileSizeRule& sizeProblem, Read read)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return systemProblem(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return std::string("is not a regular file");
    }
    // Without blocking, and checked again on the open file: the name may have been replaced since.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        return systemProblem(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return std::string("is not a regular file");
    }
    const auto size = static_cast<uintmax_t>(status.st_size);
    if (std::optional<std::string> problem = sizeProblem(size)) {
        return problem;
    }
    return read(file, size);
}

// Up to count bytes from offset; fewer when the file was cut short since it was measured.
std::optional<std::string> readAt(const FileDescriptor& file, uintmax_t offset, size_t count,
                                  std::vector<uint8_t>& bytes)
{
    bytes.resize(count);
    size_t filled = 0;
    while (filled < count) {
        const ssize_t read = ::pread(file.get(), bytes.data() + filled, count - filled,
                                     static_cast<off_t>(offset + filled));
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read < 0) {
            bytes.clear();
            return systemProblem(errno);
        }
        if (read == 0) {
            break;
        }
        filled += static_cast<size_t>(read);
    }
    bytes.resize(filled);
    return std::nullopt;
}

} // namespace

FileBytes readRegularFile(const std::string& path, const FileSizeRule& sizeProblem)
{
    FileBytes read;
    read.problem = withRegularFile(path, sizeProblem, [&](const FileDescriptor& file, uintmax_t size) {
        return readAt(file, 0, static_cast<size_t>(size), read.bytes);
    });
    return read;
}

FileEnds readRegularFileEnds(const std::string& path, const FileSizeRule& sizeProblem, size_t headBytes,
                             size_t tailBytes)
{
    FileEnds read;
    read.problem = withRegularFile(path, sizeProblem, [&](const FileDescriptor& file, uintmax_t size) {
        const uintmax_t tail = std::min<uintmax_t>(tailBytes, size);
        std::optional<std::string> problem =
            readAt(file, 0, static_cast<size_t>(std::min<uintmax_t>(headBytes, size)), read.head);
        return problem ? problem : readAt(file, size - tail, static_cast<size_t>(tail), read.tail);
    });
    return read;
}
