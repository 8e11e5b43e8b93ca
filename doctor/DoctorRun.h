// The run of kestrum-doctor from its arguments to its exit code.
#pragma once

#include <string>
#include <vector>

// Checks USB, the camera, the Orbbec SDK's configuration file and the output directory,
// prints one line per finding on standard output and returns 0 (no problem), 1 (a problem,
// or lines that could not be written) or 2 (a usage error). Whatever a check throws is a problem
// of its topic.
int runDoctor(const std::vector<std::string>& arguments);
