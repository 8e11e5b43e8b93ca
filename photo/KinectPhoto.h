// The photo or live stream from a Kinect v2, used when no Orbbec camera is attached.
#pragma once

#include "PhotoOptions.h"

// Returns the exit code: 0, 3 (no Kinect v2), 4 (not openable), 5 (colour
// stream not startable), 6 (frame wait timed out, or no output), or 8 when an
// exception ends the run; the device is stopped and closed before that message.
int runKinect(const PhotoOptions& options);
