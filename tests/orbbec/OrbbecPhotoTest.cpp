// The photo program's Orbbec stream in-process against the simulated SDK, which can have a stop
// come exactly while a frame wait runs out, as no process test can time it.
#include "OrbbecPhoto.h"
#include "StopSignal.h"

#include "../simulated-sdks/OrbbecSimulationVariable.h"
#include "StreamCapture.h"

#include <kestrum_sim/OrbbecObserver.h>

#include <gtest/gtest.h>

#include <iostream>

TEST(OrbbecPhotoStream, AFrameWaitThatRunsOutWhileAStopIsPendingEndsTheStreamAsAStop)
{
    // Five warm-up frames, then no more: the sixth wait runs out, and the stop comes as it does.
    OrbbecSimulationVariable camera("fps=200;frames=5");
    kestrum_sim::observeOrbbecFramesetTimeouts([] { stopRequested = 1; });
    PhotoOptions options;
    options.stream = true;
    options.outputPath = "--stream";
    std::optional<int> code;
    std::string err;
    const std::string out = writtenTo(std::cout, [&] { err = writtenTo(std::cerr, [&] { code = runOrbbecPhoto(options); }); });
    kestrum_sim::observeOrbbecFramesetTimeouts(nullptr);
    stopRequested = 0;

    EXPECT_EQ(code, 0);
    EXPECT_EQ(err, "");
    EXPECT_EQ(out, "");
}
