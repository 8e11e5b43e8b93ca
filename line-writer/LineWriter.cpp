// Whole lines to a file descriptor.
#include "LineWriter.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace kestrum {

bool writeLine(int fd, std::string_view text)
{
    std::string line;
    line.reserve(text.size() + 1);
    line.append(text);
    line += '\n';
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t result = ::write(fd, line.data() + written, line.size() - written);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            return false;
        }
        written += static_cast<size_t>(result);
    }
    return true;
}

} // namespace kestrum
