// Where the Orbbec SDK's log goes in the programs: errors only, on standard error, in no file.
#include "OrbbecSdkLog.h"

#include "LineWriter.h"

#include <libobsensor/ObSensor.hpp>

#include <unistd.h>

namespace {

// Severity 3 (errors) for the SDK's whole log, in every sink.
constexpr OBLogSeverity kSdkLogSeverity = OB_LOG_SEVERITY_ERROR;

// Exactly one line per message, whether or not the SDK ends it with a line feed.
void writeSdkLogMessageToStandardError(OBLogSeverity, const char* message)
{
    // One write per line, so that lines from SDK threads never interleave mid-line.
    kestrum::writeLine(STDERR_FILENO, kestrum::oneLine(message ? message : ""));
}

} // namespace

void setUpOrbbecSdkLog()
{
    // The severity call also switches the SDK's file log on at that severity, whatever its
    // configuration file says, which would leave a folder Log/ in every working directory the
    // programs run in. Switching the file log off again works only right after that call and
    // before the first SDK object exists; the log reaches standard error through the callback.
    ob::Context::setLoggerSeverity(kSdkLogSeverity);
    ob::Context::setLoggerToFile(OB_LOG_SEVERITY_OFF, "");
    // The SDK's console sink writes to standard output, which carries the programs'
    // machine-readable output; its messages go to standard error instead.
    ob::Context::setLoggerToConsole(OB_LOG_SEVERITY_OFF);
    ob::Context::setLoggerToCallback(kSdkLogSeverity, &writeSdkLogMessageToStandardError);
}
