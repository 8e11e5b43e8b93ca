// Formats log lines like the real SDK ("[12/06 20:09:33.123456][error][4711][function] text")
// and hands each one whole to the console and to the callback.
#include "SdkLogger.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace kestrum_sim::orbbec {
namespace {

struct LoggerState {
    std::mutex mutex;
    ob_log_severity console = OB_LOG_SEVERITY_ERROR;
    ob_log_severity callbackSeverity = OB_LOG_SEVERITY_INFO;
    ob_log_callback* callback = nullptr;
    void* callbackUserData = nullptr;
};

LoggerState& logger() {
    static LoggerState state;
    return state;
}

bool passes(ob_log_severity message, ob_log_severity sink) { return sink != OB_LOG_SEVERITY_OFF && message >= sink; }

std::string formattedLine(const char* level, const std::string& function, const std::string& message) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const long micros = static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%m/%d %H:%M:%S", &local);
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "[%s.%06ld][%s][%ld][", stamp, micros, level, static_cast<long>(syscall(SYS_gettid)));
    return prefix + function + "] " + message + "\n";
}

}  // namespace

void setGlobalLogSeverity(ob_log_severity severity) {
    std::lock_guard<std::mutex> lock(logger().mutex);
    logger().console = severity;
    logger().callbackSeverity = severity;
}

void setConsoleLogSeverity(ob_log_severity severity) {
    std::lock_guard<std::mutex> lock(logger().mutex);
    logger().console = severity;
}

void setLogCallback(ob_log_severity severity, ob_log_callback* callback, void* userData) {
    std::lock_guard<std::mutex> lock(logger().mutex);
    logger().callbackSeverity = severity;
    logger().callback = callback;
    logger().callbackUserData = userData;
}

void logError(const std::string& function, const std::string& message) {
    const std::string line = formattedLine("error", function, message);
    ob_log_callback* callback = nullptr;
    void* userData = nullptr;
    {
        std::lock_guard<std::mutex> lock(logger().mutex);
        LoggerState& state = logger();
        if (passes(OB_LOG_SEVERITY_ERROR, state.console)) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
        }
        if (state.callback && passes(OB_LOG_SEVERITY_ERROR, state.callbackSeverity)) {
            callback = state.callback;
            userData = state.callbackUserData;
        }
    }
    // Outside the lock: the callback may itself change the logger.
    if (callback) callback(OB_LOG_SEVERITY_ERROR, line.c_str(), userData);
}

}  // namespace kestrum_sim::orbbec
