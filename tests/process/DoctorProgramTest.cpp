// kestrum-doctor as a process on fake USB trees (KESTRUM_SYSTEM_ROOT) with the simulated cameras:
// each cause with its exact line, fix and exit code, a healthy station, the output directory's
// failures, files that cannot be read, a stop signal, the JSON lines and usage errors.
#include "ChildProcess.h"
#include "PhotoStream.h"
#include "SeriesWriteLock.h"
#include "TinyTmpfs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>

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
    std::optional<fs::perms> node = fs::perms::all;   // the device node's mode; none: there is no node
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

    void plug(const UsbDevice& usb)
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
        if (!usb.node) return;
        std::ofstream(nodePath).flush();
        fs::permissions(nodePath, *usb.node);
    }

    ChildLaunch launch(std::vector<std::string> args, const std::string& orbbec = "", const std::string& kinect = "",
                       const std::string& user = "", ChildStdout out = ChildStdout::Read) const
    {
        ChildLaunch launch;
        launch.program = doctorProgramPath();
        launch.args = std::move(args);
        launch.env = {{"KESTRUM_SYSTEM_ROOT", scratch_.path()}, {"KESTRUM_SIM_ORBBEC", orbbec},
                      {"KESTRUM_SIM_KINECT", kinect}};
        launch.user = user;
        launch.stdoutSetup = out;
        return launch;
    }

    template <typename... Settings>
    ChildResult run(std::vector<std::string> args, const Settings&... settings) const
    {
        return runChild(launch(std::move(args), settings...));
    }

    std::string outputDir() const { return scratch_ / "out"; }
    std::string path(const std::string& name) const { return scratch_ / name; }
    fs::path devices() const { return fs::path(scratch_.path()) / "sys/bus/usb/devices"; }

private:
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
    // An earlier series, whose files a capture replaces.
    fs::create_directories(station.outputDir() + "/color");
    std::ofstream(station.outputDir() + "/color/color-0000.jpg") << "earlier";
    std::ofstream(station.outputDir() + "/capture.json") << "{}";
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
    // Nothing more and nothing less: the earlier files stay, no probe file is left behind.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(station.outputDir()), {}), 3);
}

TEST(DoctorProgram, EachCauseOnTheBusGivesItsLineWithTheFix)
{
    struct Case {
        const char* cause;
        std::vector<UsbDevice> devices;
        const char* orbbec;
        const char* kinect;
        std::vector<std::string> expected;
        int exitCode;
    };
    const std::string noPower = " the Kinect v2's hub (045e:02d9) is on the USB bus, but not its sensor (045e:02c4 or "
                                "045e:02d8): the Kinect v2 has no power -- fix: connect the Kinect v2's power adapter to "
                                "the mains and to its cable";
    const std::string kinectUsb2 = " Kinect v2 045e:02c4 (serial 004123151047) on USB bus 1, device 4 runs at 480 "
                                   "Mbit/s (USB 2); libfreenect2 streams from a Kinect v2 on USB 3 only -- fix: plug it "
                                   "into a USB 3 port";
    const std::string noCamera = "problem: neither the Orbbec SDK nor libfreenect2 finds a camera: the programs report "
                                 "\"Keine Kinect v2 gefunden.\"";
    const Case cases[] = {
        {"Kinect v2 on USB 2", {kKinectHub, kKinectUsb2}, "", "attached;fail=open",
         {"problem:" + kinectUsb2,
          "problem: libfreenect2 finds the Kinect v2 SIMKINECT001 but cannot open it: the programs report \"Kinect "
          "konnte nicht geöffnet werden.\"; the Kinect v2 is on the USB bus, so most likely its USB 2 link keeps it "
          "from working -- fix: plug it into a USB 3 port"},
         1},
        {"only the hub", {kKinectHub}, "", "", {"problem:" + noPower}, 1},
        {"Kinect v2 without its node", {UsbDevice{"2-2.1", "045e", "02c4", "5000", 2, 5, "004123151047", std::nullopt}}, "", "",
         {"problem: Kinect v2 045e:02c4 (serial 004123151047) on USB bus 2, device 5: its device node "
          "/dev/bus/usb/002/005 does not exist -- fix: run the programs where udev provides /dev/bus/usb (a container "
          "needs the USB devices passed in)",
          noCamera + "; the Kinect v2 is on the USB bus, so its device node does not exist -- fix: run the programs "
                     "where udev provides /dev/bus/usb (a container needs the USB devices passed in)"},
         1},
        {"Orbbec camera on USB 2 without the profiles", {kOrbbecUsb2}, "attached;fail=color-profile", "",
         {"problem: Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 1, device 5 runs at 480 Mbit/s (USB 2), where "
          "it does not offer the 1280x720 profiles at 30 fps that the programs need -- fix: plug it into a USB 3 port",
          "problem: the Orbbec camera does not start the streams the capture program uses: \"Color 1280x720 BGR @30 "
          "nicht verfügbar.\" -- fix: plug it into a USB 3 port; a camera model without 1280x720 colour and depth at "
          "30 fps cannot serve the programs"},
         1},
        {"Orbbec camera on USB 2 with the profiles", {kOrbbecUsb2}, "attached", "",
         {"note: Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 1, device 5 runs at 480 Mbit/s (USB 2); it still "
          "offers the 1280x720 profiles at 30 fps that the programs need -- fix: plug it into a USB 3 port, where its "
          "streams have bandwidth to spare"},
         0},
        {"nothing attached", {}, "", "",
         {"problem: no Orbbec camera (USB vendor 2bc5) and no Kinect v2 (045e:02c4 or 045e:02d8) on the USB bus -- "
          "fix: plug the camera in; a Kinect v2 needs a USB 3 port and its power adapter",
          noCamera + " -- fix: see the USB lines above"},
         1},
        // What keeps a Kinect v2 from working does not stop a capture with the Orbbec camera.
        {"both kinds attached", {kOrbbecUsb3, kKinectHub, kKinectUsb2}, "attached", "",
         {"note:" + kinectUsb2,
          "note: an Orbbec camera and a Kinect v2 are both on the USB bus: the programs use the Orbbec camera -- fix: "
          "unplug the camera this station does not use"},
         0},
        {"the Orbbec camera and a Kinect v2 hub", {kOrbbecUsb3, kKinectHub}, "attached", "", {"note:" + noPower}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        FakeStation station;
        for (const UsbDevice& device : c.devices) station.plug(device);
        const ChildResult result = station.run({station.outputDir()}, c.orbbec, c.kinect);

        EXPECT_EQ(result.exitCode, c.exitCode) << result.out << result.err;
        const std::vector<std::string> lines = findingLines(result);
        for (const std::string& line : c.expected) EXPECT_TRUE(holds(lines, line)) << line << "\n" << result.out;
    }
}

// As root every node is open, so this runs as a user without root's rights. The Orbbec SDK's own
// rules are installed, so a replug applies them; the Kinect v2's are not.
TEST(DoctorProgram, ANodeThisUserMayNotOpenNamesTheUdevRulesAndWhyTheSdkMissesTheCamera)
{
    const std::string user = unprivilegedUser(doctorProgramPath());
    if (user.empty()) GTEST_SKIP() << "no user without root's rights can run " << doctorProgramPath();
    FakeStation station;
    fs::create_directories(station.path("etc/udev/rules.d"));
    std::ofstream(station.path("etc/udev/rules.d/99-obsensor-libusb.rules")).flush();
    station.plug(UsbDevice{"2-1", "2bc5", "0800", "5000", 2, 3, "AY3794301", fs::perms::none});
    station.plug(kKinectHub);
    station.plug(UsbDevice{"2-2.1", "045e", "02c4", "5000", 2, 5, "004123151047", fs::perms::others_read});
    const ChildResult result = station.run({station.outputDir()}, "", "", user);

    EXPECT_EQ(result.exitCode, 1) << result.err;
    const std::string orbbecRules = "replug the camera, so that udev applies /etc/udev/rules.d/99-obsensor-libusb.rules "
                                    "to it";
    for (const std::string& line :
         {"problem: Orbbec camera 2bc5:0800 (serial AY3794301) on USB bus 2, device 3: user " + user +
              " may not open /dev/bus/usb/002/003 for reading and writing -- fix: " + orbbecRules,
          "problem: Kinect v2 045e:02c4 (serial 004123151047) on USB bus 2, device 5: user " + user +
              " may not open /dev/bus/usb/002/005 for reading and writing -- fix: install the station package kestrum "
              "(again), which puts its udev rules in /usr/lib/udev/rules.d/70-kestrum-cameras.rules, or without the "
              "package copy the SDK's own where its archive was unpacked: sudo cp libfreenect2-0.2.1/platform/linux/"
              "udev/90-kinect2.rules /etc/udev/rules.d/; then replug the camera",
          "problem: the Orbbec SDK finds no camera (\"Keine Orbbec-Kamera gefunden.\", so the programs go on to the "
          "Kinect v2); the Orbbec camera is on the USB bus, so this user may not open its device node -- fix: " +
              orbbecRules}) {
        EXPECT_TRUE(holds(findingLines(result), line)) << line << "\n" << result.out;
    }
}

// Some cases need a user without root's rights, for whom a folder can be closed.
TEST(DoctorProgram, TheOutputDirectoryIsNeverMadeAndItsFoldersAndEarlierFilesMustBeWritable)
{
    FakeStation station;
    const std::string out = station.outputDir();
    const std::string file = station.path("file");
    std::ofstream(file) << "in the way";
    for (const char* folder : {"color/color-0000.jpg", "color/color-0102.jpg", "color/color-0103.jpg", "capture.json",
                               "timing.csv"}) {
        fs::create_directories(out + "/reused/" + folder);   // 0103 is beyond the frames of any capture
    }
    std::ofstream(out + "/reused/depth") << "in the way";
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_exec;
    fs::create_directories(out + "/closed/color");
    fs::permissions(out + "/closed", fs::perms::all);
    fs::permissions(out + "/closed/color", readOnly);
    fs::create_directories(out + "/read-only");
    fs::permissions(out + "/read-only", readOnly);
    fs::create_directories(station.path("shut/series"));
    fs::permissions(station.path("shut"), fs::perms::owner_all);
    const std::string user = unprivilegedUser(doctorProgramPath());
    const std::string elsewhere = ", or choose another output directory";
    struct Case {
        std::string dir;
        bool unprivileged;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {out + "/new/series", false,
         {"ok: output directory " + out + "/new/series does not exist yet; the capture program can create it in " + out}},
        {file + "/series", false,
         {"problem: output directory " + file + "/series cannot be created: " + file + " is no directory -- fix: choose "
          "another output directory"}},
        {file, false, {"problem: output directory " + file + " is there but is no directory -- fix: remove it" + elsewhere}},
        {out + "/reused", false,
         {"problem: a capture is writing into output directory " + out + "/reused now, so another one there would end "
          "with \"Im Ausgabeverzeichnis läuft bereits eine andere Aufnahme.\" -- fix: wait until it has ended" + elsewhere,
          "problem: " + out + "/reused/depth is there but is no directory, where a capture makes its folder -- fix: "
          "remove it" + elsewhere,
          "problem: a capture cannot replace " + out + "/reused/color/color-0000.jpg, which is no regular file (nor 1 "
          "more earlier files in " + out + "/reused/color) -- fix: remove what stands there" + elsewhere,
          "problem: a capture cannot replace " + out + "/reused/capture.json, which is no regular file (nor 1 more "
          "earlier files in " + out + "/reused) -- fix: remove what stands there" + elsewhere}},
        {out + "/closed", true,
         {"problem: " + out + "/closed/color is not writable for user " + user + " (Permission denied) -- fix: sudo "
          "chown -R " + user + " " + out + "/closed" + elsewhere}},
        {out + "/read-only", true,
         {"problem: output directory " + out + "/read-only is not writable for user " + user + " (Permission denied) "
          "-- fix: sudo chown " + user + " " + out + "/read-only" + elsewhere}},
        {station.path("shut/series"), true,
         {"problem: cannot tell whether output directory " + station.path("shut/series") + " is there: user " + user +
          " may not look into " + station.path("shut") + " (Permission denied) -- fix: sudo chmod a+x " +
          station.path("shut") + elsewhere}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        if (c.unprivileged && user.empty()) continue;   // as root every folder is open
        // The lock a capture holds while it writes into the directory.
        const std::optional<SeriesWriteLock> capture = lockSeriesForWriting(out + "/reused");
        const ChildResult result = station.run({c.dir}, "", "", c.unprivileged ? user : "");

        for (const std::string& line : c.lines) EXPECT_TRUE(holds(findingLines(result), line)) << line << "\n" << result.out;
    }
    EXPECT_FALSE(fs::exists(out + "/new"));
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

// Attribute files that would block or flood a reader, and an error nobody foresaw (no working directory),
// end in findings and an exit code; a camera whose attributes cannot be read is not said to be missing.
TEST(DoctorProgram, FilesThatCannotBeReadAndUnforeseenErrorsEndInFindings)
{
    FakeStation station;
    const fs::path devices = station.devices();
    for (const char* device : {"3-1", "3-2", "3-3"}) fs::create_directories(devices / device);
    ASSERT_EQ(mkfifo((devices / "3-1/idVendor").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", devices / "3-2/idVendor");
    std::ofstream(devices / "3-3/idVendor") << "2bc5\n";
    std::ofstream(devices / "3-3/idProduct").flush();
    fs::resize_file(devices / "3-3/idProduct", 300 * 1024 * 1024);
    ScratchDir gone;
    const fs::path workingDir = fs::current_path();
    fs::current_path(gone.path());
    fs::remove(gone.path());
    const ChildResult result = station.run({"series"}, "attached");
    fs::current_path(workingDir);

    EXPECT_EQ(result.exitCode, 1) << result.err;
    const std::vector<std::string> lines = findingLines(result);
    EXPECT_TRUE(holds(lines, "note: /sys/bus/usb/devices/3-1/idVendor is not a regular file (and 2 more that cannot be "
                             "read), so the USB lines may miss a camera; the camera lines show what the SDKs find"))
        << result.out;
    EXPECT_EQ(result.out.find("no Orbbec camera (USB vendor 2bc5)"), std::string::npos) << result.out;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("problem: kestrum-doctor could not check output directory series: ", 0), 0u)
        << result.out;
}

TEST(DoctorProgram, AStopSignalDuringTheGrabEndsItWithANoteAndTheOtherFindings)
{
    FakeStation station;
    station.plug(kOrbbecUsb3);
    ChildProcess child(station.launch({station.outputDir()}, "attached;fps=1"));
    const HandlerState handlers = waitForStopHandlers(doctorProgramPath(), std::chrono::seconds(30));
    if (handlers == HandlerState::NotObservable) GTEST_SKIP() << "the doctor runs under an emulator";
    ASSERT_EQ(handlers, HandlerState::Installed);
    child.sendSignal(SIGTERM);
    const ChildResult result = child.wait();

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = findingLines(result);
    ASSERT_EQ(lines.size(), 6u) << result.out;
    EXPECT_EQ(lines[2].rfind("note: stopped by a signal: received ", 0), 0u) << result.out;
}
