// Where kestrum-doctor finds sys/bus/usb/devices and dev/bus/usb.
#pragma once

#include <filesystem>

// "/" on a station. Builds with a simulated camera SDK take KESTRUM_SYSTEM_ROOT instead
// when it is set and not empty, so that tests can lay out fake device trees; a station
// build reads no environment variable (the build links one of two definitions).
std::filesystem::path systemRoot();
