// The run of kestrum-photo from the command line to the exit code.
#pragma once

// Checks the arguments (usage line and 2), then
// takes the photo or streams from the Orbbec camera, or else the Kinect v2.
int runPhotoProgram(int argc, const char* const argv[]);
