// The simulated SDK's logger: a global level, a console sink on standard output
// (on at error level by default, as in the real SDK's default configuration) and
// an optional callback sink.
#pragma once

#include "libobsensor/h/ObTypes.h"

#include <string>

namespace kestrum_sim::orbbec {

void setGlobalLogSeverity(ob_log_severity severity);
void setConsoleLogSeverity(ob_log_severity severity);
void setLogCallback(ob_log_severity severity, ob_log_callback* callback, void* userData);

// One log line about a failure in that SDK function, to every sink that passes errors.
void logError(const std::string& function, const std::string& message);

}  // namespace kestrum_sim::orbbec
