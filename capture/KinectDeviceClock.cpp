// KinectDeviceClock: libfreenect2's 0.125 ms frame timestamps as microseconds across the counter's wrap.
#include "KinectDeviceClock.h"

namespace {

constexpr uint64_t kCounterRange = uint64_t{1} << 32;
constexpr uint64_t kMicrosecondsPerTick = 125;

} // namespace

uint64_t KinectDeviceClock::microseconds(uint32_t ticks)
{
    if (previous_ && ticks < *previous_) {
        // Unsigned arithmetic counts on through 2^32.
        const uint32_t ahead = ticks - *previous_;
        if (ahead < kCounterRange / 2) {
            ++wraps_;
        }
    }
    previous_ = ticks;
    return (wraps_ * kCounterRange + ticks) * kMicrosecondsPerTick;
}
