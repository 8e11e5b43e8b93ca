// The logger of the simulated libfreenect2: the real library's console behaviour and global logger.
#include "LibraryLog.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <iostream>

namespace libfreenect2 {
namespace {

class ConsoleLogger : public Logger {
public:
    explicit ConsoleLogger(Level level) { level_ = level; }

    void log(Level level, const std::string& message) override
    {
        if (level > level_ || level == None) return;
        (level <= Warning ? std::cerr : std::cout) << "[" << level2str(level) << "] " << message << std::endl;
    }
};

// Built on first use, so the level follows the environment at that moment.
Logger* defaultLogger()
{
    static ConsoleLogger instance(Logger::getDefaultLevel());
    return &instance;
}

std::atomic<Logger*>& globalLogger()
{
    static std::atomic<Logger*> current{defaultLogger()};
    return current;
}

} // namespace

Logger::Level Logger::getDefaultLevel()
{
    const char* setting = std::getenv("LIBFREENECT2_LOGGER_LEVEL");
    if (!setting) return Info;
    std::string name(setting);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "debug") return Debug;
    if (name == "warning") return Warning;
    if (name == "error") return Error;
    if (name == "none") return None;
    return Info;
}

std::string Logger::level2str(Level level)
{
    switch (level) {
    case Debug:
        return "Debug";
    case Info:
        return "Info";
    case Warning:
        return "Warning";
    case Error:
        return "Error";
    case None:
        break;
    }
    return "";
}

Logger::~Logger() = default;

Logger::Level Logger::level() const { return level_; }

Logger* createConsoleLogger(Logger::Level level) { return new ConsoleLogger(level); }

Logger* createConsoleLoggerWithDefaultLevel() { return new ConsoleLogger(Logger::getDefaultLevel()); }

Logger* getGlobalLogger() { return globalLogger().load(); }

// Null silences the library; the built-in console logger is never deleted.
void setGlobalLogger(Logger* logger)
{
    Logger* previous = globalLogger().exchange(logger);
    if (previous != defaultLogger()) delete previous;
}

} // namespace libfreenect2

namespace kestrum_sim {

void logLibraryMessage(libfreenect2::Logger::Level level, const char* origin, const std::string& text)
{
    libfreenect2::Logger* logger = libfreenect2::getGlobalLogger();
    if (logger && level <= logger->level()) logger->log(level, std::string("[") + origin + "] " + text);
}

} // namespace kestrum_sim
