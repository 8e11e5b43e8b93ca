// OrbbecFrameKeeper: an aligned Orbbec frame written as the four frame files.
#include "OrbbecFrameKeeper.h"

#include "OrbbecFrameFiles.h"

OrbbecFrameKeeper::OrbbecFrameKeeper(const std::filesystem::path& outputDir)
    : outputDir_(outputDir), workers_(WorkerPool::threadsFor(kOrbbecFrameImages))
{
}

SampledFrame OrbbecFrameKeeper::keep(const OrbbecRgbdFrame& frame, int32_t index, int64_t timestampMs)
{
    SampledFrame sampled;
    sampled.index = index;
    sampled.timestampMs = timestampMs;
    sampled.color = frame.color;
    sampled.colorFull = frame.color;
    sampled.depthMm = frame.depth;
    writeOrbbecFrameFiles(workers_, outputDir_, sampled);
    return sampled;
}
