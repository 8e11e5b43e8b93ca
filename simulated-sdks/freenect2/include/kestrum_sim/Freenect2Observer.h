// Test-only view into the simulated libfreenect2 (not part of the libfreenect2 API):
// what the calling program did with devices, listeners and frame sets.
#pragma once

#include <string>
#include <vector>

namespace kestrum_sim {

// Lifecycle calls in the order they happened, process-wide: "enumerate", "open",
// "open-failed", "start", "start-failed", "stop", "close", "device-deleted",
// "listener-destroyed", "context-destroyed". Every call is recorded, also one
// that does nothing (a stop of a device that is not streaming).
std::vector<std::string> freenect2Events();
void clearFreenect2Events();
// Calls the function (null: none) just before each event is recorded, on the thread that
// caused it, so a test can note what the program had written by then.
void observeFreenect2Events(void (*beforeEachEvent)());

// Frame sets handed out by waitForNewFrame and not yet given back with release.
long unreleasedFrameSets();
// Frames the simulated device allocated that nobody has deleted yet.
long liveDeviceFrames();

// Reads KESTRUM_SIM_KINECT again; the library otherwise reads it once, when first needed.
void rereadKinectSettings();

} // namespace kestrum_sim
