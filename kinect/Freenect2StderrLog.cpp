// A libfreenect2 logger for standard error, built on the library's public logging API only,
// so it works with the real library as with the stand-in.
#include "Freenect2StderrLog.h"

#include "LineWriter.h"

#include <libfreenect2/logger.h>

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
        kestrum::writeLine(STDERR_FILENO, "[" + level2str(level) + "] " + message);
    }
};

} // namespace

void routeFreenect2LogToStandardError()
{
    // The library takes ownership and deletes the logger it replaces.
    libfreenect2::setGlobalLogger(new StandardErrorLogger);
}

} // namespace kestrum
