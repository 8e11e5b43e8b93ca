// OrbbecFrameStamp: what the Orbbec SDK says about one frame's time.
#pragma once

#include <cstdint>
#include <optional>

struct OrbbecFrameStamp {
    uint64_t index = 0;                 // the camera's frame number
    uint64_t timestampUs = 0;           // the device's clock at capture
    uint64_t systemTimestampUs = 0;     // the host's clock at arrival; 0 where the SDK gives none
    uint64_t globalTimestampUs = 0;     // the capture moment on the host's clock; 0 unless enabled and supported
    std::optional<int64_t> exposure;    // from the frame's metadata, in the sensor's unit, where it carries it
    std::optional<int64_t> gain;
};
