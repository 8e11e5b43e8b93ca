// The camera sequences that kestrum-capture and kestrum-doctor share, in-process against the
// simulated cameras: each step comes where it belongs between the library's calls, and on every way
// out, a failing step or grab included, the camera stops before it is closed and released.
#include "KinectSequence.h"
#include "OrbbecSequence.h"

#include <kestrum_sim/Freenect2Observer.h>
#include <kestrum_sim/OrbbecObserver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

using Calls = std::vector<std::string>;

// The calls of interest, a repeated one once, with "[step]" where each step began.
struct Trace {
    Calls ofInterest;
    std::vector<std::pair<size_t, std::string>> steps;  // with the number of calls before it

    Calls of(const Calls& calls) const
    {
        Calls trace;
        auto step = steps.begin();
        for (size_t i = 0; i <= calls.size(); ++i) {
            for (; step != steps.end() && step->first == i; ++step) trace.push_back("[" + step->second + "]");
            const bool wanted = i < calls.size() && std::count(ofInterest.begin(), ofInterest.end(), calls[i]) > 0;
            if (wanted && (trace.empty() || trace.back() != calls[i])) trace.push_back(calls[i]);
        }
        return trace;
    }
};

// Takes three frames; throws in place of the second when asked to.
struct OrbbecSteps final : OrbbecSequenceSteps {
    void opened(const OrbbecCamera&) override { mark("opened"); }
    void started(const OrbbecCamera&) override { mark("started"); }
    void stream(OrbbecFrames& frames) override
    {
        mark("stream");
        for (int i = 0; i < 3; ++i) {
            if (i == 1 && failInStream) throw std::runtime_error("step failed");
            const OrbbecGrab grab = frames.grab(std::chrono::seconds(5));
            grabs.push_back(grab.outcome == Grab::Complete ? "ok" : grab.timeoutMessage);
        }
    }
    void mark(const char* step) { trace.steps.emplace_back(kestrum_sim::orbbecCallLog().size(), step); }

    bool failInStream = false;
    Calls grabs;
    Trace trace{{"ob_create_context_with_config", "ob_pipeline_start_with_config", "ob_pipeline_wait_for_frameset",
                 "ob_pipeline_stop", "ob_delete_filter", "ob_delete_config", "ob_delete_pipeline", "ob_delete_device",
                 "ob_delete_context"}, {}};
};

struct KinectSteps final : KinectSequenceSteps {
    void stream(const KinectStarted& kinect, KinectFrames& frames) override
    {
        trace.steps.emplace_back(kestrum_sim::freenect2Events().size(), "stream " + kinect.serial);
        frames.warmupFrame();
        throw std::runtime_error("step failed");
    }

    Trace trace{{"enumerate", "open", "start", "stop", "close", "device-deleted", "listener-destroyed",
                 "context-destroyed"}, {}};
};

std::string thrownBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(CameraSequence, StepsComeInOrderAndEveryWayOutStopsTheCameraBeforeReleasingIt)
{
    const Calls release = {"ob_delete_filter", "ob_delete_config", "ob_delete_pipeline", "ob_delete_device",
                           "ob_delete_context"};
    Calls streamed = {"ob_create_context_with_config", "[opened]", "ob_pipeline_start_with_config", "[started]",
                      "[stream]", "ob_pipeline_wait_for_frameset", "ob_pipeline_stop"};
    streamed.insert(streamed.end(), release.begin(), release.end());
    Calls failedStart = {"ob_create_context_with_config", "[opened]", "ob_pipeline_start_with_config"};
    failedStart.insert(failedStart.end(), release.begin(), release.end());
    struct Case {
        const char* setting;
        bool failInStream;
        std::string thrown;
        Calls grabs;
        Calls trace;
    };
    const Case cases[] = {
        // An SDK error that says it is a time-out only by its status is a missing frame.
        {"attached;grab-error-at=2;error=USB transfer stalled;error-status=wait-timeout", false, "",
         {"ok", "USB transfer stalled", "ok"}, streamed},
        {"attached;grab-error-at=2;error=USB transfer stalled", false, "USB transfer stalled", {"ok"}, streamed},
        {"attached", true, "step failed", {"ok"}, streamed},
        {"attached;fail=start", false, "simulated failure: the pipeline could not start its streams (fail=start)", {},
         failedStart},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        setenv("KESTRUM_SIM_ORBBEC", c.setting, 1);
        kestrum_sim::startOrbbecCallLog();
        OrbbecSteps steps;
        steps.failInStream = c.failInStream;
        EXPECT_EQ(thrownBy([&] { EXPECT_TRUE(runOrbbecSequence(steps)); }), c.thrown);
        EXPECT_EQ(steps.grabs, c.grabs);
        EXPECT_EQ(steps.trace.of(kestrum_sim::orbbecCallLog()), c.trace);
        EXPECT_EQ(kestrum_sim::liveOrbbecObjects(), 0u);
    }
    unsetenv("KESTRUM_SIM_ORBBEC");
    OrbbecSteps none;
    EXPECT_FALSE(runOrbbecSequence(none));
    EXPECT_TRUE(none.trace.steps.empty());

    // A failing step of the Kinect v2: the device still stops and closes before its listener goes.
    setenv("KESTRUM_SIM_KINECT", "attached", 1);
    kestrum_sim::rereadKinectSettings();
    kestrum_sim::clearFreenect2Events();
    KinectSteps kinect;
    EXPECT_EQ(thrownBy([&] { runKinectSequence(kinect); }), "step failed");
    EXPECT_EQ(kinect.trace.of(kestrum_sim::freenect2Events()),
              (Calls{"enumerate", "open", "start", "[stream SIMKINECT001]", "stop", "close", "device-deleted",
                     "listener-destroyed", "context-destroyed"}));
    EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 0);
    unsetenv("KESTRUM_SIM_KINECT");
    kestrum_sim::rereadKinectSettings();
}
