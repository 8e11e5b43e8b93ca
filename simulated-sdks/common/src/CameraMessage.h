// The lines the simulated cameras write to standard error for whoever set them up.
#pragma once

#include <string>

namespace kestrum_sim {

// "kestrum simulated camera: " and the message as one line on standard error. A backslash is written as \\,
// a line feed, carriage return or tab as \n, \r or \t, any other control byte as \xHH, so that a name in the
// message (a directory, a setting) can neither split the line nor forge another.
void writeCameraMessage(const std::string& message);

} // namespace kestrum_sim
