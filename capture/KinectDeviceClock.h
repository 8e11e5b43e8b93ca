// KinectDeviceClock: libfreenect2's frame timestamps, 32-bit counts of 0.125 ms that wrap every
// 149 hours, as microseconds that go on rising across the wrap.
#pragma once

#include <cstdint>
#include <optional>

// One per stream of a run.
class KinectDeviceClock {
public:
    // The count times 125. A count below the previous one that lies less than half the counter's
    // range ahead of it (counting on through 2^32) has wrapped, and it and all later ones get 2^32
    // counts more; a larger step back is the camera's clock going back and stays one.
    uint64_t microseconds(uint32_t ticks);

private:
    std::optional<uint32_t> previous_;
    uint64_t wraps_ = 0;
};
