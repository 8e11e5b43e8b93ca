// kestrum-doctor as a process on fake USB trees (KESTRUM_SYSTEM_ROOT) with the simulated cameras:
// each cause with its exact line, fix and exit code, a healthy station, the output directory's
// failures, the JSON lines and usage errors.
#include "ChildProcess.h"
#include "Json.h"
#include "TinyTmpfs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct UsbDevice {
    std::string name;   // the sysfs entry, such as "2-1"
    std::string vendor;
    std::string product;
    std::string speed;
    int bus;
    int device;
    std::string serial;
};

const UsbDevice kOrbbecUsb3{"2-1", "2bc5", "0800", "5000", 2, 3, "AY3794301"};
const UsbDevice kOrbbecUsb2{"1-5", "2bc5", "0800", "480", 1, 5, "AY3794301"};
const UsbDevice kKinectUsb3{"2-2.1", "045e", "02c4", "5000", 2, 5, "004123151047"};
const UsbDevice kKinectUsb2{"1-4.1", "045e", "02c4", "480", 1, 4, "004123151047"};
const UsbDevice kKinectHub{"2-2", "045e", "02d9", "5000", 2, 4, ""};

// A system root with sys/bus/usb/devices and dev/bus/usb that an unprivileged user may read.
class FakeStation {
public:
    FakeStation()
    {
        fs::permissions(scratch_.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::create_directories(devices());
        fs::create_directories(scratch_ / "dev/bus/usb");
        fs::create_directories(outputDir());
    }

    void plug(const UsbDevice& usb, fs::perms nodeMode = fs::perms::all)
    {
        const fs::path entry = devices() / usb.name;
        fs::create_directories(entry);
        for (const auto& [name, value] : {std::pair<const char*, std::string>{"idVendor", usb.vendor},
                                          {"idProduct", usb.product}, {"speed", usb.speed},
                                          {"busnum", std::to_string(usb.bus)}, {"devnum", std::to_string(usb.device)},
                                          {"serial", usb.serial}}) {
            if (!value.empty()) std::ofstream(entry / name) << value << "\n";
        }
        char node[32];
        std::snprintf(node, sizeof node, "dev/bus/usb/%03d/%03d", usb.bus, usb.device);
        const fs::path nodePath = scratch_ / node;
        fs::create_directories(nodePath.parent_path());
        std::ofstream(nodePath).flush();
        fs::permissions(nodePath, nodeMode);
    }

    ChildResult run(std::vector<std::string> args, const std::string& orbbec = "", const std::string& kinect = "",
                    const std::string& user = "", ChildStdout out = ChildStdout::Read) const
    {
        ChildLaunch launch;
        launch.program = doctorProgramPath();
        launch.args = std::move(args);
        launch.env = {{"KESTRUM_SYSTEM_ROOT", scratch_.path()}, {"KESTRUM_SIM_ORBBEC", orbbec},
                      {"KESTRUM_SIM_KINECT", kinect}};
        launch.user = user;
        launch.stdoutSetup = out;
        return runChild(launch);
    }

    std::string outputDir() const { return scratch_ / "out"; }
    std::string path(const std::string& name) const { return scratch_ / name; }

private:
    fs::path devices() const { return fs::path(scratch_.path()) / "sys/bus/usb/devices"; }
    ScratchDir scratch_;
};

std::vector<std::string> findingLines(const ChildResult& result)
{
    const std::vector<std::string> lines = splitLines(result.out);
    for (const std::string& line : lines) {
        const bool finding = line.rfind("ok: ", 0) == 0 || line.rfind("note: ", 0) == 0 || line.rfind("problem: ", 0) == 0;
        EXPECT_TRUE(finding) << "not a finding on standard output: " << line;
    }
    return lines;
}

bool holds(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(DoctorProgram, AHealthySimulatedStationIsReadyAndLeftAsItWas)
{
    FakeStation station;
    station.plug(kOrbbecUsb3);
    const ChildResult result = station.run({station.outputDir()}, "attached");

    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::vector<std::string> lines = findingLines(result);
    ASSERT_EQ(lines.size(), 6u) << result.out;
    EXPECT_EQ(lines[0], "ok: Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 2, device 3: 5000 Mbit/s (USB 3), "
                        "/dev/bus/usb/002/003 readable and writable");
    EXPECT_EQ(lines[1], "ok: Orbbec camera Orbbec Gemini 335 (simulated), serial SIMORB0000001, firmware 1.0.0-sim, "
                        "connection USB3.2");
    EXPECT_EQ(lines[2].rfind("ok: received ", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find(" per second), frame synchronisation accepted"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "ok: capture.json would record depth scale 1.000000 and the colour camera's fx 912.700012, "
                        "fy 912.400024, cx 640.900024, cy 361.299988 at 1280x720");
    EXPECT_EQ(lines[4], "ok: output directory " + station.outputDir() + " is writable");
    EXPECT_NE(lines[5].find(" MiB free there, and one series (10000 ms at 10 frames per second from the Orbbec "
                            "camera) takes at most 932 MiB"),
              std::string::npos)
        << lines[5];
    EXPECT_TRUE(fs::is_empty(station.outputDir()));
}

TEST(DoctorProgram, EachCauseOnTheBusGivesItsLineWithTheFix)
{
    struct Case {
        const char* cause;
        std::vector<UsbDevice> devices;
        const char* orbbec;
        std::vector<std::string> expected;
        int exitCode;
    };
    const std::string noPower = "problem: the Kinect v2's hub (045e:02d9) is on the USB bus, but not its sensor "
                                "(045e:02c4 or 045e:02d8): the Kinect v2 has no power -- fix: connect the Kinect v2's "
                                "power adapter to the mains and to its cable";
    const Case cases[] = {
        {"Kinect v2 on USB 2", {kKinectHub, kKinectUsb2}, "",
         {"problem: Kinect v2 045e:02c4 (serial 004123151047) on USB bus 1, device 4 runs at 480 Mbit/s (USB 2); "
          "libfreenect2 streams from a Kinect v2 on USB 3 only -- fix: plug it into a USB 3 port"},
         1},
        {"only the hub", {kKinectHub}, "", {noPower}, 1},
        {"Orbbec camera on USB 2 without the profiles", {kOrbbecUsb2}, "attached;fail=color-profile",
         {"problem: Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 1, device 5 runs at 480 Mbit/s (USB 2), where "
          "it does not offer the 1280x720 profiles at 30 fps that the programs need -- fix: plug it into a USB 3 port",
          "problem: the Orbbec camera does not start the streams the capture program uses: \"Color 1280x720 BGR @30 "
          "nicht verfügbar.\" -- fix: plug it into a USB 3 port; a camera model without 1280x720 colour and depth at "
          "30 fps cannot serve the programs"},
         1},
        {"Orbbec camera on USB 2 with the profiles", {kOrbbecUsb2}, "attached",
         {"note: Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 1, device 5 runs at 480 Mbit/s (USB 2); it still "
          "offers the 1280x720 profiles at 30 fps that the programs need -- fix: plug it into a USB 3 port, where its "
          "streams have bandwidth to spare"},
         0},
        {"nothing attached", {}, "",
         {"problem: no Orbbec camera (USB vendor 2bc5) and no Kinect v2 (045e:02c4 or 045e:02d8) on the USB bus -- "
          "fix: plug the camera in; a Kinect v2 needs a USB 3 port and its power adapter",
          "problem: neither the Orbbec SDK nor libfreenect2 finds a camera: the programs report \"Keine Kinect v2 "
          "gefunden.\" -- fix: see the USB lines above"},
         1},
        {"both kinds attached", {kOrbbecUsb3, kKinectHub, kKinectUsb3}, "attached",
         {"note: an Orbbec camera and a Kinect v2 are both on the USB bus: the programs use the Orbbec camera -- fix: "
          "unplug the camera this station does not use"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        FakeStation station;
        for (const UsbDevice& device : c.devices) station.plug(device);
        const ChildResult result = station.run({station.outputDir()}, c.orbbec);

        EXPECT_EQ(result.exitCode, c.exitCode) << result.out << result.err;
        const std::vector<std::string> lines = findingLines(result);
        for (const std::string& line : c.expected) EXPECT_TRUE(holds(lines, line)) << line << "\n" << result.out;
        EXPECT_EQ(holds(lines, noPower), std::string(c.cause) == "only the hub") << result.out;
    }
}

TEST(DoctorProgram, ANodeThisUserMayNotOpenNamesTheUdevRulesAndWhyTheSdkMissesTheCamera)
{
    const std::string user = unprivilegedUser(doctorProgramPath());
    if (user.empty()) GTEST_SKIP() << "no user without root's rights can run " << doctorProgramPath();
    FakeStation station;
    station.plug(kOrbbecUsb3, fs::perms::none);
    station.plug(kKinectHub);
    station.plug(kKinectUsb3, fs::perms::none);
    const ChildResult result = station.run({station.outputDir()}, "", "", user);

    EXPECT_EQ(result.exitCode, 1) << result.err;
    const std::vector<std::string> lines = findingLines(result);
    const std::string orbbecRules = "install the Orbbec SDK's udev rules: sudo cp OrbbecSDK_v2-2.9.3/scripts/"
                                    "env_setup/99-obsensor-libusb.rules /etc/udev/rules.d/, then replug the camera";
    for (const std::string& line :
         {"problem: Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 2, device 3: user " + user +
              " may not open /dev/bus/usb/002/003 for reading and writing -- fix: " + orbbecRules,
          "problem: Kinect v2 045e:02c4 (serial 004123151047) on USB bus 2, device 5: user " + user +
              " may not open /dev/bus/usb/002/005 for reading and writing -- fix: install libfreenect2's udev rules: "
              "sudo cp libfreenect2-0.2.0/platform/linux/udev/90-kinect2.rules /etc/udev/rules.d/, then replug the "
              "camera",
          "problem: the Orbbec SDK finds no camera (\"Keine Orbbec-Kamera gefunden.\", so the programs go on to the "
          "Kinect v2); the Orbbec camera is on the USB bus, so this user may not open its device node -- fix: " + orbbecRules}) {
        EXPECT_TRUE(holds(lines, line)) << line << "\n" << result.out;
    }
}

TEST(DoctorProgram, TheOutputDirectoryIsNeverMadeAndMustBeWritableOrCreatable)
{
    FakeStation station;
    station.plug(kOrbbecUsb3);
    std::ofstream(station.path("file")) << "in the way";
    const std::string missing = station.outputDir() + "/new/series";
    const std::string blocked = station.path("file") + "/series";

    const ChildResult result = station.run({missing});
    const ChildResult underFile = station.run({blocked});

    EXPECT_TRUE(holds(findingLines(result), "ok: output directory " + missing + " does not exist yet; the capture "
                                            "program can create it in " + station.outputDir()))
        << result.out;
    EXPECT_FALSE(fs::exists(station.outputDir() + "/new"));
    EXPECT_EQ(underFile.exitCode, 1);
    EXPECT_TRUE(holds(findingLines(underFile), "problem: output directory " + blocked + " cannot be created: " +
                                                   station.path("file") + " is no directory -- fix: choose another "
                                                   "output directory"))
        << underFile.out;

    const std::string user = unprivilegedUser(doctorProgramPath());
    if (user.empty()) GTEST_SKIP() << "no user without root's rights can run " << doctorProgramPath();
    fs::permissions(station.outputDir(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec |
                                             fs::perms::others_exec);
    const ChildResult readOnly = station.run({station.outputDir()}, "", "", user);
    fs::permissions(station.outputDir(), fs::perms::owner_all);

    EXPECT_EQ(readOnly.exitCode, 1);
    EXPECT_TRUE(holds(findingLines(readOnly), "problem: output directory " + station.outputDir() + " is not writable "
                                              "for user " + user + " (Permission denied) -- fix: sudo chown " + user +
                                              " " + station.outputDir() + ", or choose another output directory"))
        << readOnly.out;
    EXPECT_TRUE(fs::is_empty(station.outputDir()));
}

TEST(DoctorProgram, AFileSystemWithoutRoomForOneSeriesIsAProblem)
{
    FakeStation station;
    station.plug(kOrbbecUsb3);
    const TinyTmpfs tmpfs(station.outputDir(), "1M");
    if (!tmpfs.mounted()) GTEST_SKIP() << tmpfs.skipReason();
    const ChildResult result = station.run({station.outputDir()});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(holds(findingLines(result),
                      "problem: only 1 MiB free there, and one series (10000 ms at 10 frames per second from the larger "
                      "of the two cameras) takes up to 932 MiB -- fix: free space on that file system, or choose an "
                      "output directory on another one"))
        << result.out;
    EXPECT_TRUE(fs::is_empty(station.outputDir()));
}

TEST(DoctorProgram, JsonLinesCarryTheSameFindingsWithTheirTopic)
{
    FakeStation station;
    const ChildResult result = station.run({"--json", station.outputDir()});

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<std::string> lines = splitLines(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    EXPECT_EQ(lines[1], "{\"level\":\"problem\",\"topic\":\"camera\",\"message\":\"neither the Orbbec SDK nor "
                        "libfreenect2 finds a camera: the programs report \\\"Keine Kinect v2 gefunden.\\\"\",\"fix\":"
                        "\"see the USB lines above\"}");
    EXPECT_EQ(parseJson(lines[3]).keys(), (std::vector<std::string>{"level", "topic", "message", "fix"}));
}

TEST(DoctorProgram, UsageErrorsEndWithTwoBeforeAnyCheckAndUnwrittenLinesWithOne)
{
    FakeStation station;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--verbose"}, {"one", "--json", "two"}}) {
        const ChildResult result = station.run(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "usage: kestrum-doctor [--json] [OUTPUT-DIRECTORY]\n");
    }
    const ChildResult full = station.run({station.outputDir()}, "", "", "", ChildStdout::Full);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(splitLines(full.err).back(), "Standardausgabe konnte nicht geschrieben werden.") << full.err;
}
