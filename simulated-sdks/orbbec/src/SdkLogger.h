// The simulated SDK's logger, with the real SDK's two sinks that matter here: the
// console on standard output (at error level by default, as the real SDK's default
// configuration has it) and an optional callback.
#pragma once

#include "libobsensor/h/ObTypes.h"

#include <string>

namespace kestrum_sim::orbbec {

// As in the real SDK, the global level becomes every sink's level, the console's included.
void setGlobalLogSeverity(ob_log_severity severity);
void setConsoleLogSeverity(ob_log_severity severity);
void setLogCallback(ob_log_severity severity, ob_log_callback* callback, void* userData);

// One log line about a failure in that SDK function, to every sink that passes errors.
void logError(const std::string& function, const std::string& message);

}  // namespace kestrum_sim::orbbec
