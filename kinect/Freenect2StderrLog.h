// Sends libfreenect2's log messages to standard error, keeping standard output for machine output.
#pragma once

namespace kestrum {

// Installs a libfreenect2 global logger that writes "[Level] message" lines to standard
// error at the level the library would choose by default. Call before creating the context.
void routeFreenect2LogToStandardError();

} // namespace kestrum
