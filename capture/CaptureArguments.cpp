// The command line of kestrum-capture: output directory, duration, sampling rate.
#include "CaptureArguments.h"

#include "DefaultOutputDirectory.h"

#include <algorithm>
#include <stdexcept>
#include <string>

int32_t parseIntArgument(const char* text, int32_t defaultValue, int32_t minimum, int32_t maximum)
{
    if (text == nullptr) {
        return defaultValue;
    }
    int value = 0;
    try {
        value = std::stoi(text, nullptr, 10);
    } catch (const std::invalid_argument&) {
        return defaultValue;
    } catch (const std::out_of_range&) {
        return defaultValue;
    }
    return std::clamp<int32_t>(value, minimum, maximum);
}

CaptureOptions parseCaptureArguments(int argc, const char* const argv[])
{
    CaptureOptions options;
    options.outputDir = argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(kDefaultOutputDir);
    options.durationMs = parseIntArgument(argc > 2 ? argv[2] : nullptr, kLongestDurationMs, kShortestDurationMs,
                                          kLongestDurationMs);
    options.sampleFps =
        parseIntArgument(argc > 3 ? argv[3] : nullptr, kHighestSampleFps, kLowestSampleFps, kHighestSampleFps);
    return options;
}
