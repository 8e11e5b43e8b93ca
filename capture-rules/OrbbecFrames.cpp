// A started Orbbec camera's aligned frames, one wait at a time, as the capture takes them.
#include "OrbbecFrames.h"

#include "CaptureLimits.h"

#include <exception>
#include <string_view>

namespace {

uint32_t milliseconds(std::chrono::milliseconds wait)
{
    return static_cast<uint32_t>(wait.count());
}

OrbbecGrab timedOut(const char* message)
{
    OrbbecGrab grab;
    grab.timeoutMessage = message;
    return grab;
}

} // namespace

void OrbbecFrames::warmupFrame()
{
    camera_.grabAlignedRgbd(milliseconds(kOrbbecWarmupWait));
}

OrbbecGrab OrbbecFrames::grab(std::chrono::milliseconds waitLimit)
{
    OrbbecGrab grab;
    try {
        grab.frame = camera_.grabAlignedRgbd(milliseconds(waitLimit));
    } catch (const OrbbecFrameTimeout& timeout) {
        return timedOut(timeout.what());
    } catch (const std::exception& failure) {
        if (std::string_view(failure.what()).find("Timeout") == std::string_view::npos) {
            throw;
        }
        return timedOut(failure.what());
    }
    grab.outcome = grab.frame.color.empty() || grab.frame.depth.empty() ? Grab::Incomplete : Grab::Complete;
    return grab;
}
