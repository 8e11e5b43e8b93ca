// The logging interface of the simulated libfreenect2.
#pragma once

#include <libfreenect2/config.h>

#include <string>

namespace libfreenect2 {

class LIBFREENECT2_API Logger {
public:
    enum Level { None = 0, Error = 1, Warning = 2, Info = 3, Debug = 4 };
    // Info, unless LIBFREENECT2_LOGGER_LEVEL names another level.
    static Level getDefaultLevel();
    static std::string level2str(Level level);

    virtual ~Logger();
    virtual Level level() const;
    virtual void log(Level level, const std::string& message) = 0;

protected:
    Level level_ = Info;
};

// Info and Debug go to standard output, Warning and Error to standard error.
LIBFREENECT2_API Logger* createConsoleLogger(Logger::Level level);
LIBFREENECT2_API Logger* createConsoleLoggerWithDefaultLevel();

// The library owns the logger passed in and deletes the one it replaces.
LIBFREENECT2_API Logger* getGlobalLogger();
LIBFREENECT2_API void setGlobalLogger(Logger* logger);

} // namespace libfreenect2
