// How the simulated library logs: "[Origin] text" through the global logger, as the real one does.
#pragma once

#include <libfreenect2/logger.h>

#include <string>

namespace kestrum_sim {

void logLibraryMessage(libfreenect2::Logger::Level level, const char* origin, const std::string& text);

} // namespace kestrum_sim
