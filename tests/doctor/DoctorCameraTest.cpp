// kestrum-doctor's camera check in-process against the simulated cameras, on a clock that moves
// 20 ms at each reading, so that a grab makes a known number of waits however fast the machine is:
// each failure setting gives the programs' words, and a stop request cuts the grab short with a note.
#include "CameraFindings.h"
#include "FindingLines.h"

#include <kestrum_sim/Freenect2Observer.h>
#include <kestrum_sim/OrbbecObserver.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr std::chrono::milliseconds kClockStep{20};

// Each reading 20 ms after the one before, from 0.
MonotonicClock steppingClock()
{
    return [now = std::chrono::nanoseconds(0)]() mutable {
        const std::chrono::nanoseconds reading = now;
        now += kClockStep;
        return reading;
    };
}

// A null setting detaches that camera.
void attach(const char* variable, const char* setting)
{
    setting ? setenv(variable, setting, 1) : unsetenv(variable);
}

class DoctorCamera : public ::testing::Test {
protected:
    ~DoctorCamera() override
    {
        attach("KESTRUM_SIM_ORBBEC", nullptr);
        attach("KESTRUM_SIM_KINECT", nullptr);
        kestrum_sim::rereadKinectSettings();
    }

    // The camera lines for these settings after a grab of `waits` waits, whose time is read 40 ms
    // after the last wait began; afterwards no Orbbec SDK object is left, even after a failed stop.
    std::vector<std::string> lines(const char* orbbec, const char* kinect, int waits = 6, const UsbSurvey& survey = {},
                                   const StopCheck& stop = [] { return false; })
    {
        attach("KESTRUM_SIM_ORBBEC", orbbec);
        attach("KESTRUM_SIM_KINECT", kinect);
        kestrum_sim::rereadKinectSettings();
        std::vector<std::string> result;
        const std::chrono::milliseconds grab = waits * kClockStep + std::chrono::milliseconds(1);
        for (const Finding& finding : cameraFindings(checkCameras(grab, steppingClock(), stop), survey)) {
            result.push_back(findingLine(finding, false));
        }
        EXPECT_EQ(kestrum_sim::liveOrbbecObjects(), 0u);
        return result;
    }
};

const std::string kOrbbecOpened = "ok: Orbbec camera Orbbec Gemini 335 (simulated), serial SIMORB0000001, firmware "
                                  "1.0.0-sim, connection USB3.2";
const std::string kCableFix = " -- fix: check the camera's USB cable and port, and replug it";

} // namespace

TEST_F(DoctorCamera, OrbbecFailuresInTheProgramsWords)
{
    struct Case {
        const char* setting;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"attached;fail=open",
         {"problem: the Orbbec camera cannot be opened: \"simulated failure: the device could not be opened "
          "(fail=open)\""}},
        {"attached;fail=stop",
         {kOrbbecOpened, "problem: the Orbbec camera fails while streaming: \"simulated failure: the pipeline could not "
                         "stop its streams (fail=stop)\"" + kCableFix}},
        {"attached;grab-error-at=3;error=USB transfer lost",
         {kOrbbecOpened, "problem: the Orbbec camera fails while streaming: \"USB transfer lost\"" + kCableFix}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lines(c.setting, nullptr), c.expected) << c.setting;
    }
}

TEST_F(DoctorCamera, OrbbecFramesThatWouldBeLostOrUnsynchronised)
{
    const std::vector<std::string> refused = lines("attached;fail=frame-sync", nullptr);
    ASSERT_EQ(refused.size(), 4u);
    EXPECT_EQ(refused[1], "ok: received 6 frames in 160 ms (37.5 per second)");
    EXPECT_EQ(refused[2],
              "note: the camera refused frame synchronisation: a frame's colour and depth may be taken at slightly "
              "different moments");
    EXPECT_EQ(lines("attached;empty-depth-every=2", nullptr)[1],
              "problem: received 6 frames in 160 ms; 3 of them lacked colour or depth, which a capture never saves" +
                  kCableFix);
    EXPECT_EQ(lines("attached;frames=2", nullptr, 3)[1],
              "problem: received 2 frames in 100 ms; a frame did not come within the warm-up's limit, which ends a "
              "capture with \"Timeout beim Warten auf Orbbec-RGBD-Frame.\"" + kCableFix);
}

TEST_F(DoctorCamera, KinectFailuresInTheProgramsWordsWithTheLikelyCause)
{
    UsbSurvey kinectOnBus;
    kinectOnBus.cameras.push_back({UsbCameraKind::KinectSensor, "045e", "02c4", "", "5000", 2, 5,
                                   "/dev/bus/usb/002/005", NodeAccess::ReadWrite});

    EXPECT_EQ(lines(nullptr, "attached;fail=open", 6, kinectOnBus),
              std::vector<std::string>{"problem: libfreenect2 finds the Kinect v2 SIMKINECT001 but cannot open it: the "
                                       "programs report \"Kinect konnte nicht geöffnet werden.\"; the Kinect v2 is on the USB "
                                       "bus, so most likely another process holds it -- fix: end the program that uses the "
                                       "camera (another kestrum-capture or kestrum-photo, a viewer), or replug the "
                                       "camera"});
    EXPECT_EQ(lines(nullptr, "attached;fail=start"),
              std::vector<std::string>{"problem: the Kinect v2 SIMKINECT001 does not start its streams: the programs "
                                       "report \"Kinect konnte nicht gestartet werden.\" -- fix: replug it into a USB 3 "
                                       "port with its power adapter connected"});

    const std::vector<std::string> grabbed = lines(nullptr, "attached");
    ASSERT_EQ(grabbed.size(), 3u);
    EXPECT_EQ(grabbed[0], "ok: Kinect v2, serial SIMKINECT001 (no Orbbec camera found)");
    EXPECT_EQ(grabbed[1], "ok: received 6 frames in 160 ms (37.5 per second)");
    EXPECT_EQ(grabbed[2], "ok: capture.json would record the depth camera's fx 366.120, fy 366.120, cx 258.270, cy 204.730");
}

TEST_F(DoctorCamera, AStopRequestEndsTheGrabOfEitherCameraWithANote)
{
    const std::pair<const char*, const char*> eitherCamera[] = {{"attached", nullptr}, {nullptr, "attached"}};
    for (const auto& [orbbec, kinect] : eitherCamera) {
        int checks = 0;
        const std::vector<std::string> found = lines(orbbec, kinect, 6, {}, [&] { return ++checks > 2; });
        ASSERT_EQ(found.size(), 3u);
        EXPECT_EQ(found[1], "note: stopped by a signal: received 2 frames in 60 ms");
    }
}
