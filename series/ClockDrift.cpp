// How fast a camera's clock runs against the host's, from the kept frames' times on both.
#include "ClockDrift.h"

#include <cmath>

std::optional<ClockDrift> clockDrift(const std::vector<ClockReading>& readings)
{
    const size_t n = readings.size();
    if (n < 3) return std::nullopt;
    // Offsets from the first reading keep the sums small enough for doubles.
    std::vector<double> x(n);
    std::vector<double> y(n);
    double meanX = 0;
    double meanY = 0;
    for (size_t i = 0; i < n; ++i) {
        x[i] = static_cast<double>(readings[i].hostUs - readings[0].hostUs) / 1e6;   // seconds
        y[i] = static_cast<double>((readings[i].deviceUs - readings[0].deviceUs) -
                                   (readings[i].hostUs - readings[0].hostUs));      // microseconds
        meanX += x[i] / static_cast<double>(n);
        meanY += y[i] / static_cast<double>(n);
    }
    double sxx = 0;
    double sxy = 0;
    for (size_t i = 0; i < n; ++i) {
        sxx += (x[i] - meanX) * (x[i] - meanX);
        sxy += (x[i] - meanX) * (y[i] - meanY);
    }
    if (sxx <= 0) return std::nullopt;
    const double slope = sxy / sxx;   // microseconds per second: parts per million
    double squares = 0;
    for (size_t i = 0; i < n; ++i) {
        const double residual = y[i] - meanY - slope * (x[i] - meanX);
        squares += residual * residual;
    }
    return ClockDrift{slope, std::sqrt(squares / static_cast<double>(n - 2) / sxx)};
}
