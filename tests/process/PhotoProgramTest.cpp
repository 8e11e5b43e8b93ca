// kestrum-photo as a process against the simulated cameras: the photo and the
// live stream from either camera, the stop signals, every failure's
// message and exit code, and a full disk.
#include "PhotoStream.h"
#include "TinyTmpfs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace std::chrono_literals;

namespace {

struct Camera {
    const char* name;
    const char* orbbec;  // KESTRUM_SIM_ORBBEC
    const char* kinect;  // KESTRUM_SIM_KINECT
    cv::Size colorSize;
};

// Every run has both variables set; "" means that camera is not attached.
ChildLaunch photoRun(const std::string& orbbec, const std::string& kinect, const std::vector<std::string>& args,
                   const std::string& dir = {})
{
    return {photoProgramPath(), args, {{"KESTRUM_SIM_ORBBEC", orbbec}, {"KESTRUM_SIM_KINECT", kinect}}, dir};
}

ChildLaunch photoRun(const Camera& camera, const std::vector<std::string>& args, const std::string& dir = {})
{
    return photoRun(camera.orbbec, camera.kinect, args, dir);
}

// The Orbbec camera wins when both are attached.
const Camera kOrbbec{"Orbbec", "attached;fps=120", "attached", cv::Size(1280, 720)};
const Camera kKinect{"Kinect v2", "", "attached;fps=120", cv::Size(1920, 1080)};

bool usesKinect(const Camera& camera)
{
    return std::string(camera.orbbec).empty();
}

// libfreenect2 logs its device enumeration: without that line the Kinect v2 was never touched.
bool kinectTouched(const ChildResult& result)
{
    return result.err.find("enumerating devices") != std::string::npos;
}

} // namespace

TEST(PhotoProgram, WrongNumberOfArgumentsGivesTheUsageLineAndExit2)
{
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"--stream", "shot.jpg"}}) {
        const ChildResult result = runChild(photoRun(kOrbbec, args));

        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Verwendung: kestrum-photo <ausgabe.jpg>|--stream\n");
    }
}

TEST(PhotoProgram, PhotoIsTheCamerasFullSizeFrameAndThePathLineIsAsGiven)
{
    for (const Camera& camera : {kOrbbec, kKinect}) {
        ScratchDir scratch;
        const ChildResult result = runChild(photoRun(camera, {"shot.jpg"}, scratch.path()));

        EXPECT_EQ(result.exitCode, 0) << camera.name << "\n" << result.err;
        EXPECT_EQ(result.out, "shot.jpg\n");
        EXPECT_TRUE(programLines(result.err).empty()) << result.err;
        EXPECT_EQ(decodeJpeg(readFileBytes(scratch / "shot.jpg")).size(), camera.colorSize) << camera.name;
    }
}

TEST(PhotoProgram, StreamCarriesOnlyPartsOf960x540AndEndsCleanlyOnEitherStopSignal)
{
    for (const Camera& camera : {kOrbbec, kKinect}) {
        for (const int stopSignal : {SIGTERM, SIGINT}) {
            const std::string context = std::string(camera.name) + ", signal " + std::to_string(stopSignal);
            ChildProcess child(photoRun(camera, {"--stream"}));
            const ParsedStream early = readParts(child, 2, 60s);
            ASSERT_EQ(early.fault, "") << context;
            ASSERT_GE(early.jpegs.size(), 2u) << context;

            child.sendSignal(stopSignal);
            const ChildResult result = child.wait(60s);

            EXPECT_EQ(result.exitCode, 0) << context << "\n" << result.err;
            const ParsedStream stream = parseStream(result.out);
            EXPECT_EQ(stream.fault, "") << context;
            EXPECT_EQ(stream.trailing, "") << context;
            for (const std::string& jpeg : stream.jpegs) {
                EXPECT_EQ(decodeJpeg(jpeg).size(), cv::Size(960, 540)) << context;
            }
            EXPECT_TRUE(programLines(result.err).empty()) << result.err;
            if (usesKinect(camera)) {  // its log shows the stop and the close
                EXPECT_TRUE(occursInOrder(result.err, {"started", "stopping...", "stopped", "closing..."}))
                    << result.err;
            }
        }
    }
}

TEST(PhotoProgram, StopSignalDoesNotShortenAPhotoRun)
{
    ScratchDir scratch;
    ChildProcess child(photoRun("attached;fps=10", "", {"shot.jpg"}, scratch.path()));
    const HandlerState handlers = waitForStopHandlers(30s);
    if (handlers == HandlerState::NotObservable) {
        GTEST_SKIP() << "the stop handlers cannot be seen under an emulator";
    }
    ASSERT_EQ(handlers, HandlerState::Installed);

    child.sendSignal(SIGTERM);
    child.sendSignal(SIGINT);
    const ChildResult result = child.wait(60s);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "shot.jpg\n");
    EXPECT_EQ(decodeJpeg(readFileBytes(scratch / "shot.jpg")).size(), cv::Size(1280, 720));
}

TEST(PhotoProgram, StopBeforeTheFirstPartEndsTheStreamWithNothingWritten)
{
    ChildProcess child(photoRun("", "attached;fps=2", {"--stream"}));  // a ten-second warm-up
    const HandlerState handlers = waitForStopHandlers(30s);
    if (handlers == HandlerState::NotObservable) {
        GTEST_SKIP() << "the stop handlers cannot be seen under an emulator";
    }
    ASSERT_EQ(handlers, HandlerState::Installed);

    child.sendSignal(SIGTERM);
    const ChildResult result = child.wait(60s);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(programLines(result.err).empty()) << result.err;
}

TEST(PhotoProgram, APhotoThatDoesNotFitOnTheDiskLeavesTheEarlierPhotoIntact)
{
    ScratchDir scratch;
    const TinyTmpfs disk(scratch.path(), "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }
    const std::string earlier = "an earlier photo";
    std::ofstream(scratch / "shot.jpg") << earlier;
    ASSERT_TRUE(disk.fillUp());

    const ChildResult result = runChild(photoRun(kOrbbec, {"shot.jpg"}, scratch.path()));

    EXPECT_EQ(result.exitCode, 6);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(programLines(result.err), std::vector<std::string>(2, "Foto konnte nicht gespeichert werden."));
    EXPECT_EQ(readFileBytes(scratch / "shot.jpg"), earlier);
    const auto entries = std::distance(std::filesystem::directory_iterator(scratch.path()), {});
    EXPECT_EQ(entries, 2) << "the photo and the filler, no temporary file";
}

TEST(PhotoProgram, KinectFailuresGiveTheirMessageAndCode)
{
    struct Case {
        std::string kinect;
        std::string message;
        int code;
        std::vector<std::string> order;  // the message among the device's log lines
    };
    const Case cases[] = {
        {"", "Keine Kinect v2 gefunden.", 3, {"found 0 devices", "Keine Kinect v2 gefunden."}},
        {"attached;fail=open", "Kinect konnte nicht geöffnet werden.", 4, {"failed to open", "Kinect konnte"}},
        // Closed without a stop, and only after the message.
        {"attached;fail=start", "Kinect-Farbstream konnte nicht gestartet werden.", 5,
         {"Kinect-Farbstream", "closing...", "closed"}},
        // Three frames, then the stream's one-second wait runs out.
        {"attached;fps=100;frames=3", "Timeout beim Warten auf Kinect-Farbbild.", 6,
         {"Timeout beim Warten", "stopping...", "stopped", "closing..."}},
    };
    for (const Case& c : cases) {
        const ChildResult result = runChild(photoRun("", c.kinect, {"--stream"}));

        EXPECT_EQ(result.exitCode, c.code) << c.kinect;
        EXPECT_EQ(result.out, "") << c.kinect;
        EXPECT_EQ(programLines(result.err), std::vector<std::string>{c.message}) << result.err;
        EXPECT_TRUE(occursInOrder(result.err, c.order)) << result.err;
        EXPECT_EQ(result.err.find("stopping...") != std::string::npos, c.code == 6) << result.err;
    }
}

TEST(PhotoProgram, KinectImageLibraryErrorIsOneLineAfterTheDeviceIsClosed)
{
    ScratchDir scratch;
    const ChildResult result = runChild(photoRun("", "attached;fps=200", {"shot.unknown-extension"}, scratch.path()));

    EXPECT_EQ(result.exitCode, 8);
    EXPECT_EQ(result.out, "");
    const std::vector<std::string> lines = programLines(result.err);
    ASSERT_EQ(lines.size(), 1u) << result.err;
    EXPECT_EQ(lines[0].rfind("Kinect-Fehler: OpenCV", 0), 0u) << lines[0];
    EXPECT_TRUE(occursInOrder(result.err, {"stopping...", "closing...", "Kinect-Fehler: "})) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
}

TEST(PhotoProgram, OrbbecFailuresGiveOneLineAndExit7WithoutTryingTheKinect)
{
    struct Case {
        std::string orbbec;
        std::string argument;
        std::string message;  // the start of the last line on standard error
    };
    const Case cases[] = {
        {"attached;fail=open", "shot.jpg", "Orbbec-Fehler: simulated failure: the device could not be opened"},
        {"attached;fps=200;grab-error-at=5;error=USB-Übertragung abgebrochen", "shot.jpg",
         "Orbbec-Fehler: USB-Übertragung abgebrochen"},
        // Ten frames, then the stream's one-second frame wait runs out.
        {"attached;fps=200;frames=10", "--stream", "Orbbec-Fehler: Timeout beim Warten auf Orbbec-Color-Frame."},
        {"attached;fps=200", "shot.unknown-extension", "Orbbec-Fehler: OpenCV"},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        const ChildResult result = runChild(photoRun(c.orbbec, "attached", {c.argument}, scratch.path()));

        EXPECT_EQ(result.exitCode, 7) << c.orbbec;
        EXPECT_EQ(result.out, "") << c.orbbec;
        const std::vector<std::string> lines = splitLines(result.err);
        ASSERT_FALSE(lines.empty()) << c.orbbec;
        EXPECT_EQ(lines.back().rfind(c.message, 0), 0u) << result.err;
        EXPECT_EQ(result.err.back(), '\n');
        EXPECT_FALSE(kinectTouched(result)) << result.err;
        EXPECT_TRUE(std::filesystem::is_empty(scratch.path())) << c.orbbec;
    }
}
