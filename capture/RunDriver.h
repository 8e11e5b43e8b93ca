// The run of kestrum-capture from the command line to the exit code.
#pragma once

// Parses the arguments, creates the output directories, keeps other captures out
// of them, records the series with the Orbbec camera or else the Kinect v2, and
// turns every escaped failure into the "error" line on standard error and exit code 1.
int runCapture(int argc, const char* const argv[]);
