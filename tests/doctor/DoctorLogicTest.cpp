// kestrum-doctor's pure logic: the Orbbec SDK's configuration file found and read as the SDK reads
// it, the space one series can take, the command line, the lines, and the grab's time limits.
#include "ChildProcess.h"
#include "DoctorArguments.h"
#include "FindingLines.h"
#include "FrameGrab.h"
#include "OrbbecSdkConfig.h"
#include "SeriesSpace.h"

#include <gtest/gtest.h>

#include <deque>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string deviceSection(const std::string& setting)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Config>\n  <Log><FileLogLevel>1</FileLogLevel></Log>\n"
           "  <Device>\n    <!-- Whether to enumerate network devices -->\n    " + setting +
           "\n    <LinuxUVCBackend>Auto</LinuxUVCBackend>\n  </Device>\n</Config>\n";
}

} // namespace

TEST(OrbbecSdkConfig, NetworkDiscoveryIsReadAsTheSdkReadsIt)
{
    struct Case {
        std::string text;
        NetworkDiscovery expected;
    };
    const Case cases[] = {
        {deviceSection("<EnumerateNetDevice>true</EnumerateNetDevice>"), NetworkDiscovery::On},
        {deviceSection("<EnumerateNetDevice>false</EnumerateNetDevice>"), NetworkDiscovery::Off},
        {deviceSection("<EnumerateNetDevice> FALSE </EnumerateNetDevice>"), NetworkDiscovery::Off},
        {deviceSection("<EnumerateNetDevice>0</EnumerateNetDevice>"), NetworkDiscovery::Off},
        {deviceSection("<EnumerateNetDevice>no</EnumerateNetDevice>"), NetworkDiscovery::Unset},
        {deviceSection("<EnumerateNetDevice><!-- off -->false</EnumerateNetDevice>"), NetworkDiscovery::Unset},
        // Only the first of each element counts, below whatever the root is called.
        {deviceSection("<EnumerateNetDevice>false</EnumerateNetDevice><EnumerateNetDevice>true</EnumerateNetDevice>"),
         NetworkDiscovery::Off},
        {"<Config><Device/><Device><EnumerateNetDevice>false</EnumerateNetDevice></Device></Config>",
         NetworkDiscovery::Unset},
        {"<Settings><Device><EnumerateNetDevice>false</EnumerateNetDevice></Device></Settings>", NetworkDiscovery::Off},
        {"<Config><EnumerateNetDevice>false</EnumerateNetDevice></Config>", NetworkDiscovery::Unset},
        {deviceSection("<EnumerateNetDevice>false</EnumerateNetDevice").substr(0, 200), NetworkDiscovery::NotXml},
        {"<Config><Device><EnumerateNetDevice>false</EnumerateNetDevice></Config>", NetworkDiscovery::NotXml},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readOrbbecSdkConfig(c.text).discovery, c.expected) << c.text;
    }
    EXPECT_EQ(readOrbbecSdkConfig("<Config><Device></Config>").detail, "XML_ERROR_MISMATCHED_ELEMENT");
}

// The file beside the library that holds the SDK's function, wherever that library was loaded from;
// only a regular file of a configuration's size is read, so a pipe in its place cannot block the doctor.
TEST(OrbbecSdkConfig, TheFileBesideTheLoadedLibraryIsReadOnlyWhenRegularAndSmall)
{
    ScratchDir scratch;
    const std::string library = scratch / "libOrbbecSDK.so.2";
    const std::string config = scratch / "OrbbecSDKConfig.xml";
    fs::copy_file(KESTRUM_TEST_SHARED_LIBRARY, library);
    std::ofstream(config) << deviceSection("<EnumerateNetDevice>true</EnumerateNetDevice>");
    const std::unique_ptr<void, int (*)(void*)> loaded(dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL), dlclose);
    ASSERT_TRUE(loaded) << dlerror();
    const void* function = dlsym(loaded.get(), "kestrumSharedLibraryFunction");
    const auto line = [&] { return findingLine(sdkConfigFindingBeside(function), false); };
    const std::string builtIn = ", so the SDK's built-in setting turns network discovery on, ";

    EXPECT_EQ(line(), "note: " + config + ": network discovery on, which adds about 2 s to every start of the programs "
                      "-- fix: sudo sed -i -e 's|<EnumerateNetDevice>[^<]*</EnumerateNetDevice>|<EnumerateNetDevice>"
                      "false</EnumerateNetDevice>|' " + config);
    fs::remove(config);
    ASSERT_EQ(mkfifo(config.c_str(), 0644), 0);
    EXPECT_EQ(line().rfind("note: " + config + " is not a regular file" + builtIn, 0), 0u);
    fs::remove(config);
    std::ofstream(config).flush();
    fs::resize_file(config, kMostSdkConfigBytes + 1);
    EXPECT_EQ(line().rfind("note: " + config + " has 1048577 bytes, more than such a file holds (at most 1048576)" +
                               builtIn, 0), 0u);
}

TEST(SeriesSpace, OneSeriesIsBoundedFromAboveForEitherCamera)
{
    // Kept at 0, 99, 198, ... 9999 ms: 102 frames before 10000 ms and one that arrives after it.
    EXPECT_EQ(mostFramesOfLongestSeries(), 103);
    // Two 1280x720 BGR JPEGs, a 16-bit PNG and a raw file a frame, 64 KiB more per file, and capture.json.
    EXPECT_EQ(seriesBytesUpperBound(CameraKind::Orbbec), 103 * (2 * 2764800 + 2 * 1843200 + 4 * 65536) + 65536);
    // Registered and full colour, the colour-to-depth map, PNG and raw depth at 512x424.
    EXPECT_EQ(seriesBytesUpperBound(CameraKind::Kinect),
              103 * (651264 + 6220800 + 868352 + 2 * 434176 + 5 * 65536) + 65536);
    EXPECT_EQ(seriesBytesUpperBound(CameraKind::None), seriesBytesUpperBound(CameraKind::Orbbec));
}

TEST(FindingLines, AnyBytesGiveValidJsonAndTextLinesWithoutControlCharacters)
{
    const Finding finding{Level::Note, Topic::Usb, "serial AY\xff\x1b[2J\n\x07", "fix\x7f"};
    EXPECT_EQ(findingLine(finding, true), "{\"level\":\"note\",\"topic\":\"usb\",\"message\":\"serial "
                                          "AY\xef\xbf\xbd\\u001b[2J\\n\\u0007\",\"fix\":\"fix\x7f\"}");
    EXPECT_EQ(findingLine(finding, false), "note: serial AY\xef\xbf\xbd\\x1b[2J\\x0a\\x07 -- fix: fix\\x7f");
}

TEST(DoctorArguments, JsonAnywhereAndAtMostOneDirectory)
{
    const auto parsed = [](std::vector<std::string> arguments) { return parseDoctorArguments(arguments); };
    EXPECT_EQ(parsed({"--json"})->outputDir, "/usr/local/var/kestrum-measurement/tmp/test-series");
    EXPECT_EQ(parsed({"", "--json"})->outputDir, ".");
    EXPECT_FALSE(parsed({"--json=yes"}));
}

namespace {

// Answers each wait from a script and lets each one take 100 ms of a fake clock.
class ScriptedGrabber final : public FrameGrabber {
public:
    explicit ScriptedGrabber(std::deque<Grab> script) : script_(std::move(script)) {}
    Grab grab(std::chrono::milliseconds waitLimit) override
    {
        limits.push_back(waitLimit.count());
        now += std::chrono::milliseconds(100);
        const Grab next = script_.empty() ? Grab::Complete : script_.front();
        if (!script_.empty()) script_.pop_front();
        return next;
    }
    std::vector<long long> limits;
    std::chrono::nanoseconds now{0};

private:
    std::deque<Grab> script_;
};

} // namespace

TEST(FrameGrab, TheWarmupsLimitForTheFirstFifteenWaitsThenTheLoopsUntilTheDuration)
{
    // A time-out in the warm-up, and one in the first wait after it, which must not hide the first.
    std::deque<Grab> script(kWarmupFrames + 1, Grab::Complete);
    script[1] = Grab::Incomplete;
    script[2] = Grab::TimedOut;
    script.back() = Grab::TimedOut;
    ScriptedGrabber grabber(script);
    const GrabCounts counts = grabFrames(grabber, [&] { return grabber.now; }, {std::chrono::milliseconds(2000),
                                                                                std::chrono::milliseconds(5000)},
                                         [] { return false; });

    ASSERT_EQ(grabber.limits.size(), 20u);
    EXPECT_EQ(grabber.limits[14], 5000);
    EXPECT_EQ(grabber.limits[15], 2000);
    EXPECT_EQ(counts.complete, 17);
    EXPECT_EQ(counts.incomplete, 1);
    EXPECT_EQ(counts.timedOut, 2);
    EXPECT_TRUE(counts.warmupTimedOut);
    EXPECT_EQ(counts.elapsedMs, 2000);
    EXPECT_FALSE(counts.stopped);

    std::deque<Grab> lateTimeOut(kWarmupFrames, Grab::Complete);
    lateTimeOut.push_back(Grab::TimedOut);
    ScriptedGrabber late(lateTimeOut);
    const auto never = [] { return false; };
    EXPECT_FALSE(grabFrames(late, [&] { return late.now; }, {std::chrono::milliseconds(2000), {}}, never).warmupTimedOut);
}
