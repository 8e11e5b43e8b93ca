// OrbbecFrameKeeper: an aligned Orbbec frame written as the four frame files.
#pragma once

#include "OrbbecRgbdFrame.h"
#include "SampledFrame.h"
#include "WorkerPool.h"

#include <filesystem>

// Made once per run: its workers serve every kept frame.
class OrbbecFrameKeeper {
public:
    explicit OrbbecFrameKeeper(const std::filesystem::path& outputDir);
    OrbbecFrameKeeper(const OrbbecFrameKeeper&) = delete;
    OrbbecFrameKeeper& operator=(const OrbbecFrameKeeper&) = delete;

    // Writes the colour image to color/ and color-full/ and the depth to depth/ and depth-raw/, then
    // "frameSaved", with writeOrbbecFrameFiles. Returns the frame as written: views of the images given.
    SampledFrame keep(const OrbbecRgbdFrame& frame, int32_t index, int64_t timestampMs);

private:
    const std::filesystem::path outputDir_;
    WorkerPool workers_;
};
