// Placeholder until the Kinect v2 capture backend lands.
#include "KinectCapture.h"

#include "EventLines.h"

int runKinectCapture(const std::filesystem::path&, int32_t, int32_t)
{
    emitErrorEvent("Keine Kinect v2 gefunden.");
    return 1;
}
