// How fast a camera's clock runs against the host's, from the kept frames' times on both.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// One frame's reading of both clocks, in microseconds; each clock has an epoch of its own.
struct ClockReading {
    int64_t hostUs;
    int64_t deviceUs;
};

struct ClockDrift {
    double ppm;            // millionths the device's clock runs faster (+) or slower (-) than the host's
    double uncertaintyPpm; // one standard error of that, from how far the readings scatter about the fit
};

// The least-squares slope of (device - host) over host time; nothing for fewer than three readings or
// readings that span no host time.
std::optional<ClockDrift> clockDrift(const std::vector<ClockReading>& readings);
