// Both programs' Kinect v2 code in-process against the simulated libfreenect2, whose
// event record shows what the process tests cannot: the device is stopped, closed
// and deleted before its listener goes and the context last, on every way out, any
// error line comes only after, and no frame set is left unreleased.
#include "ChildProcess.h"
#include "KinectCapture.h"
#include "KinectPhoto.h"
#include "OutputDirectories.h"
#include "StreamCapture.h"

#include <kestrum_sim/Freenect2Observer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The library's events, a repeated one counted once: deleting a closed device closes it again, to no effect.
std::vector<std::string> distinctEvents()
{
    std::vector<std::string> events = kestrum_sim::freenect2Events();
    events.erase(std::unique(events.begin(), events.end()), events.end());
    return events;
}

// A null setting detaches the camera.
void attachKinect(const char* setting)
{
    setting ? setenv("KESTRUM_SIM_KINECT", setting, 1) : unsetenv("KESTRUM_SIM_KINECT");
    kestrum_sim::rereadKinectSettings();
    kestrum_sim::clearFreenect2Events();
}

const std::vector<std::string> kTeardown = {"stop", "close", "device-deleted", "listener-destroyed",
                                            "context-destroyed"};

// What standard output and standard error held just before each library event.
std::vector<off_t> bytesAtEvent[2];

void noteWrittenBytes()
{
    for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat status{};
        ::fstat(fd, &status);
        bytesAtEvent[fd - 1].push_back(status.st_size);
    }
}

// The program's own lines written to one of them (not the library's "[Info] ..." log), each
// with how many library events had happened when it was written: those that found less of it.
struct LineRecorder {
    struct Line {
        std::string text;
        size_t eventsBefore;
    };
    std::vector<Line> lines;

    void read(const std::string& text, const std::vector<off_t>& bytes)
    {
        for (size_t start = 0, end = text.find('\n'); end != std::string::npos;
             start = end + 1, end = text.find('\n', start)) {
            const auto it = std::find_if(bytes.begin(), bytes.end(), [&](off_t held) { return held > off_t(end); });
            if (text[start] != '[') lines.push_back({text.substr(start, end - start), size_t(it - bytes.begin())});
        }
    }
};

class KinectTeardown : public ::testing::Test {
protected:
    KinectTeardown() { createOutputDirectories(outputDir); }
    ~KinectTeardown() override { attachKinect(nullptr); }

    // Runs the backend on a simulated Kinect v2 with this setting; returns the exit code,
    // or -1 with the message in `thrown`. Afterwards every frame set must be back.
    int run(const char* setting)
    {
        attachKinect(setting);
        int code = -1;
        bytesAtEvent[0].clear();
        bytesAtEvent[1].clear();
        kestrum_sim::observeFreenect2Events(noteWrittenBytes);
        std::string written;
        const std::string writtenErr = writtenTo(std::cerr, [&] {
            thrown = failureOf([&] { code = runKinectCapture(outputDir, 1000, 2); }, written);
        });
        kestrum_sim::observeFreenect2Events(nullptr);
        out.read(written, bytesAtEvent[0]);
        err.read(writtenErr, bytesAtEvent[1]);
        EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 0);
        EXPECT_EQ(kestrum_sim::liveDeviceFrames(), 0);
        return code;
    }

    static std::vector<std::string> lastEvents(size_t count)
    {
        const std::vector<std::string> events = distinctEvents();
        return {events.end() - static_cast<std::ptrdiff_t>(std::min(count, events.size())), events.end()};
    }

    ScratchDir scratch;
    const fs::path outputDir = fs::path(scratch.path()) / "series";
    LineRecorder out;
    LineRecorder err;
    std::string thrown;
};

} // namespace

TEST_F(KinectTeardown, ACompletedRunStopsTheDeviceOnlyAfterItsSummary)
{
    EXPECT_EQ(run("attached"), 0) << thrown;

    EXPECT_EQ(lastEvents(5), kTeardown);
    ASSERT_FALSE(out.lines.empty());
    const LineRecorder::Line& completed = out.lines.back();
    EXPECT_EQ(completed.text.rfind("{\"event\":\"captureCompleted\"", 0), 0u) << completed.text;
    const std::vector<std::string> events = kestrum_sim::freenect2Events();
    ASSERT_LT(completed.eventsBefore, events.size());
    EXPECT_EQ(events[completed.eventsBefore], "stop") << "the device stopped before the summary";
}

TEST_F(KinectTeardown, AStartFailureClosesTheDeviceBeforeItsErrorLine)
{
    EXPECT_EQ(run("attached;fail=start"), 1);

    ASSERT_EQ(lastEvents(6), (std::vector<std::string>{"start-failed", "stop", "close", "device-deleted",
                                                       "listener-destroyed", "context-destroyed"}));
    ASSERT_EQ(err.lines.size(), 1u);
    EXPECT_EQ(err.lines[0].text, "{\"event\":\"error\",\"message\":\"Kinect konnte nicht gestartet werden.\"}");
    EXPECT_EQ(err.lines[0].eventsBefore, kestrum_sim::freenect2Events().size());
    EXPECT_TRUE(out.lines.empty());
}

TEST(PhotoKinectTeardown, EveryWayOutReleasesInOrder)
{
    ScratchDir scratch;
    const std::vector<std::string> started = {"enumerate", "open", "start", "stop", "close", "device-deleted",
                                              "listener-destroyed", "context-destroyed"};
    struct Case {
        const char* kinect;
        std::string argument;
        int code;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"attached;fps=200", scratch / "shot.jpg", 0, started},
        {"attached;fps=200", scratch / "shot.unknown-extension", 8, started},
        {"attached;fps=100;frames=3", "--stream", 6, started},
        {"attached;fail=start", "--stream", 5,
         {"enumerate", "open", "start-failed", "close", "device-deleted", "listener-destroyed", "context-destroyed"}},
        {"attached;fail=open", "--stream", 4, {"enumerate", "open-failed", "context-destroyed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kinect) + " " + c.argument);
        attachKinect(c.kinect);
        PhotoOptions options;
        options.stream = c.argument == "--stream";
        options.outputPath = c.argument;
        std::string err;
        int code = -1;
        bytesAtEvent[0].clear();
        bytesAtEvent[1].clear();
        kestrum_sim::observeFreenect2Events(noteWrittenBytes);
        const std::string out = writtenTo(std::cout, [&] { err = writtenTo(std::cerr, [&] { code = runKinect(options); }); });
        kestrum_sim::observeFreenect2Events(nullptr);

        EXPECT_EQ(code, c.code) << err;
        EXPECT_EQ(out.empty(), c.code != 0) << out;
        EXPECT_EQ(distinctEvents(), c.events) << err;
        // The path line only once the device is stopped, closed and gone.
        const std::vector<std::string> events = kestrum_sim::freenect2Events();
        const auto deleted = static_cast<size_t>(std::find(events.begin(), events.end(), "device-deleted") - events.begin());
        EXPECT_TRUE(deleted == events.size() || bytesAtEvent[0].at(deleted) == 0) << out;
        EXPECT_EQ(kestrum_sim::unreleasedFrameSets(), 0);
        EXPECT_EQ(kestrum_sim::liveDeviceFrames(), 0);
    }
    attachKinect(nullptr);
}
