// A libfreenect2 logger for standard error, built on the library's public logging API only,
// so it works with the real library as with the stand-in.
#include "Freenect2StderrLog.h"

#include <libfreenect2/logger.h>

#include <cerrno>
#include <string>
#include <unistd.h>

namespace kestrum {
namespace {

class StandardErrorLogger : public libfreenect2::Logger {
public:
    StandardErrorLogger() { level_ = getDefaultLevel(); }

    // One write per line, so lines from the library's threads never interleave.
    void log(Level level, const std::string& message) override
    {
        if (level == None || level > level_) return;
        const std::string line = "[" + level2str(level) + "] " + message + "\n";
        size_t written = 0;
        while (written < line.size()) {
            const ssize_t result = ::write(STDERR_FILENO, line.data() + written, line.size() - written);
            if (result < 0 && errno == EINTR) continue;
            if (result <= 0) return;
            written += static_cast<size_t>(result);
        }
    }
};

} // namespace

void routeFreenect2LogToStandardError()
{
    // The library takes ownership and deletes the logger it replaces.
    libfreenect2::setGlobalLogger(new StandardErrorLogger);
}

} // namespace kestrum
