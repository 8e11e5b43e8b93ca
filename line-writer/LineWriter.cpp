// Whole lines to a file descriptor.
#include "LineWriter.h"

#include <algorithm>
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

std::string oneLine(std::string_view text)
{
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    return line;
}

std::string withControlsEscaped(std::string_view text)
{
    static const char hexDigits[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            escaped += {'\\', 'x', hexDigits[byte >> 4], hexDigits[byte & 0xF]};
        } else {
            escaped += c;
        }
    }
    return escaped;
}

} // namespace kestrum
