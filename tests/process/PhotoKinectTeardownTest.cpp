// runKinect in-process against the simulated libfreenect2, whose event record
// shows what the process tests cannot: the device is stopped, closed and
// deleted before its listener goes and the context last, on every way out,
// and no frame set is left unreleased.
#include "ChildProcess.h"
#include "KinectPhoto.h"

#include <kestrum_sim/Freenect2Observer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

struct KinectRun {
    int code;
    std::string out;
    std::string err;
    std::vector<std::string> events;  // a repeated call recorded once
};

KinectRun runKinectWith(const std::string& kinect, const std::string& argument)
{
    setenv("KESTRUM_SIM_KINECT", kinect.c_str(), 1);
    kestrum_sim::rereadKinectSettings();
    kestrum_sim::clearFreenect2Events();
    PhotoOptions options;
    options.stream = argument == "--stream";
    options.outputPath = argument;
    std::ostringstream out;
    std::ostringstream err;
    std::streambuf* previousOut = std::cout.rdbuf(out.rdbuf());
    std::streambuf* previousErr = std::cerr.rdbuf(err.rdbuf());
    const int code = runKinect(options);
    std::cout.rdbuf(previousOut);
    std::cerr.rdbuf(previousErr);
    std::vector<std::string> events = kestrum_sim::freenect2Events();
    events.erase(std::unique(events.begin(), events.end()), events.end());
    return {code, out.str(), err.str(), events};
}

const std::vector<std::string> kStoppedTeardown = {"stop", "close", "device-deleted", "listener-destroyed",
                                                   "context-destroyed"};

std::vector<std::string> concat(std::vector<std::string> first, const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

TEST(PhotoKinectTeardown, EveryWayOutReleasesInOrder)
{
    ScratchDir scratch;
    struct Case {
        std::string kinect;
        std::string argument;
        int code;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"attached;fps=200", scratch / "shot.jpg", 0, concat({"enumerate", "open", "start"}, kStoppedTeardown)},
        {"attached;fps=200", scratch / "shot.unknown-extension", 8,
         concat({"enumerate", "open", "start"}, kStoppedTeardown)},
        {"attached;fps=100;frames=3", "--stream", 6, concat({"enumerate", "open", "start"}, kStoppedTeardown)},
        {"attached;fail=start", "--stream", 5,
         {"enumerate", "open", "start-failed", "close", "device-deleted", "listener-destroyed", "context-destroyed"}},
        {"attached;fail=open", "--stream", 4, {"enumerate", "open-failed", "context-destroyed"}},
        {"", "--stream", 3, {"enumerate", "context-destroyed"}},
    };
    for (const Case& c : cases) {
        const KinectRun run = runKinectWith(c.kinect, c.argument);

        EXPECT_EQ(run.code, c.code) << c.kinect << " " << c.argument << "\n" << run.err;
        EXPECT_EQ(run.events, c.events) << c.kinect << " " << c.argument;
        EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 0) << c.kinect;
        EXPECT_EQ(kestrum_sim::liveDeviceFrames(), 0) << c.kinect;
    }
}
