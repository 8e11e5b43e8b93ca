// The lines the simulated cameras write to standard error for whoever set them up.
#include "CameraMessage.h"

#include "LineWriter.h"

#include <cstdio>
#include <unistd.h>

namespace kestrum_sim {

void writeCameraMessage(const std::string& message)
{
    std::string line = "kestrum simulated camera: ";
    for (const char c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            line += "\\\\";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
    kestrum::writeLine(STDERR_FILENO, line);
}

} // namespace kestrum_sim
