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

// A slow feed keeps each run in its warm-up while both stop signals come (when the stop handlers
// can be seen, which they cannot under an emulator): a photo run still takes its photo (the Kinect v2
// delivers exactly the 21 frames it needs), a stream ends with nothing written.
TEST(PhotoProgram, StopSignalsInTheWarmUpEndAStreamButNotAPhotoRunWhosePhotoIsTheFullFrame)
{
    const std::pair<Camera, std::string> runs[] = {
        {{"Orbbec", "attached;fps=10", "", kOrbbec.colorSize}, "shot.jpg"},
        {{"Kinect v2", "", "attached;fps=10;frames=21;lossless=yes", kKinect.colorSize}, "shot.jpg"},
        {{"Kinect v2", "", "attached;fps=2", kKinect.colorSize}, "--stream"},
    };
    for (const auto& [camera, argument] : runs) {
        SCOPED_TRACE(std::string(camera.name) + " " + argument);
        ScratchDir scratch;
        ChildProcess child(photoRun(camera, {argument}, scratch.path()));
        const HandlerState handlers = waitForStopHandlers(photoProgramPath(), 30s);
        EXPECT_NE(handlers, HandlerState::NotInstalled);
        if (handlers == HandlerState::Installed) {
            child.sendSignal(SIGTERM);
            child.sendSignal(SIGINT);
        } else if (argument == "--stream") {
            continue;  // it would stream on
        }
        const ChildResult result = child.wait(60s);

        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(programLines(result.err).empty()) << result.err;
        EXPECT_EQ(result.out, argument == "--stream" ? "" : "shot.jpg\n");
        if (argument != "--stream") {
            EXPECT_EQ(decodeJpeg(readFileBytes(scratch / "shot.jpg")).size(), camera.colorSize);
        }
    }
}

// With a reader the stream carries only whole parts of 960x540; a stalled reader behind a
// one-page pipe has taken the first page of a part when the stop comes. Either stop signal ends
// the stream cleanly, and OpenCV's debug lines go to standard error.
TEST(PhotoProgram, StreamCarriesOnlyPartsOf960x540AndEndsCleanlyOnEitherStopSignalWhateverTheReader)
{
    for (const Camera& camera : {kOrbbec, kKinect}) {
        for (const auto& [stopSignal, setup] : {std::pair{SIGINT, ChildStdout::Read}, {SIGTERM, ChildStdout::UnreadOnePage}}) {
            SCOPED_TRACE(std::string(camera.name) + (setup == ChildStdout::Read ? ", SIGINT" : ", SIGTERM, stalled reader"));
            ChildLaunch launch = photoRun(camera, {"--stream"});
            launch.env["OPENCV_LOG_LEVEL"] = "DEBUG";
            launch.stdoutSetup = setup;
            ChildProcess child(launch);
            if (setup == ChildStdout::Read) {
                const ParsedStream early = readParts(child, 2, 60s);
                ASSERT_EQ(early.fault, "");
                ASSERT_GE(early.jpegs.size(), 2u);
            } else {
                ASSERT_TRUE(child.waitUntilStdoutWritten(60s));
            }
            child.sendSignal(stopSignal);
            const ChildResult result = child.wait(60s);

            EXPECT_EQ(result.exitCode, 0) << result.err;
            EXPECT_NE(result.err.find("[DEBUG"), std::string::npos);
            EXPECT_TRUE(programLines(result.err).empty()) << result.err;
            if (*camera.orbbec == '\0') {  // the Kinect v2's log shows the stop and the close
                EXPECT_TRUE(occursInOrder(result.err, {"started", "stopping...", "stopped", "closing..."})) << result.err;
            }
            if (setup == ChildStdout::Read) {
                const ParsedStream stream = parseStream(result.out);
                EXPECT_EQ(stream.fault, "");
                EXPECT_EQ(stream.trailing, "");
                for (const std::string& jpeg : stream.jpegs) {
                    EXPECT_EQ(decodeJpeg(jpeg).size(), cv::Size(960, 540));
                }
            }
        }
    }
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

// An encoder that refuses the colour image (either camera), and a name that is a directory or a link
// leading nowhere: not written, reported twice; what was at the name stays, and no file is left.
TEST(PhotoProgram, APhotoTheEncoderRefusesOrWhoseNameIsNoFileIsNotWrittenExit6)
{
    namespace fs = std::filesystem;
    const struct {
        Camera camera;
        const char* name;
        fs::file_type type;
    } cases[] = {{kOrbbec, "grey.pgm", fs::file_type::not_found}, {kKinect, "grey.pgm", fs::file_type::not_found},
                 {kOrbbec, "shot.jpg", fs::file_type::directory}, {kOrbbec, "shot.jpg", fs::file_type::symlink}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.camera.name) + " " + c.name);
        ScratchDir scratch;
        if (c.type == fs::file_type::directory) fs::create_directory(scratch / c.name);
        if (c.type == fs::file_type::symlink) fs::create_symlink("nowhere.jpg", scratch / c.name);

        const ChildResult result = runChild(photoRun(c.camera, {c.name}, scratch.path()));

        EXPECT_EQ(result.exitCode, 6);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(programLines(result.err), std::vector<std::string>(2, "Foto konnte nicht gespeichert werden."))
            << result.err;
        EXPECT_EQ(fs::symlink_status(scratch / c.name).type(), c.type);
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), {}), c.type == fs::file_type::not_found ? 0 : 1);
    }
}

// One message, at its place among the Kinect v2's log lines, its exit code, and no file left behind;
// an Orbbec camera that fails never leads to the Kinect v2. The teardown order is checked in-process.
TEST(PhotoProgram, FailuresGiveOneMessageAtItsPlaceAndTheirExitCode)
{
    struct Case {
        std::string orbbec;
        std::string kinect;
        std::string argument;
        int code;
        std::string message;  // the start of the program's only line
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {"", "", "--stream", 3, "Keine Kinect v2 gefunden.", {"found 0 devices", "Keine Kinect v2"}},
        {"", "attached;fail=open", "--stream", 4, "Kinect konnte nicht geöffnet werden.", {"failed to open", "Kinect konnte"}},
        // Closed without a stop, and only after the message.
        {"", "attached;fail=start", "--stream", 5, "Kinect-Farbstream konnte nicht gestartet werden.",
         {"Kinect-Farbstream", "closing...", "closed"}},
        // Three frames, then the stream's one-second wait runs out.
        {"", "attached;fps=100;frames=3", "--stream", 6, "Timeout beim Warten auf Kinect-Farbbild.",
         {"Timeout beim Warten", "stopping...", "stopped", "closing..."}},
        {"", "attached;fps=200", "shot.unknown-extension", 8, "Kinect-Fehler: OpenCV", {"stopping...", "closing...", "Kinect-Fehler"}},
        {"attached;fail=open", "attached", "shot.jpg", 7, "Orbbec-Fehler: simulated failure: the device could not be opened", {}},
        // An SDK message of two lines is one.
        {"attached;fps=200;grab-error-at=5;error=USB-Übertragung\nabgebrochen", "attached", "shot.jpg", 7,
         "Orbbec-Fehler: USB-Übertragung abgebrochen", {}},
        // Ten frames, then the stream's one-second frame wait runs out.
        {"attached;fps=200;frames=10", "attached", "--stream", 7, "Orbbec-Fehler: Timeout beim Warten auf Orbbec-Color-Frame.", {}},
        {"attached;fps=200", "attached", "/dev/null", 7, "Orbbec-Fehler: OpenCV", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orbbec + " " + c.kinect + " " + c.argument);
        ScratchDir scratch;
        const ChildResult result = runChild(photoRun(c.orbbec, c.kinect, {c.argument}, scratch.path()));

        EXPECT_EQ(result.exitCode, c.code);
        EXPECT_EQ(result.out, "");
        const std::vector<std::string> lines = programLines(result.err);
        ASSERT_EQ(lines.size(), 1u) << result.err;
        EXPECT_EQ(lines[0].rfind(c.message, 0), 0u) << lines[0];
        EXPECT_EQ(result.err.back(), '\n');
        EXPECT_TRUE(occursInOrder(result.err, c.order)) << result.err;
        // libfreenect2 logs its device enumeration: without that line the Kinect v2 was never touched.
        EXPECT_EQ(result.err.find("enumerating devices") != std::string::npos, c.orbbec.empty()) << result.err;
        EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
    }
}

TEST(PhotoProgram, PathLineThatCannotBeWrittenGivesItsMessageAndExit6AndKeepsThePhoto)
{
    for (const Camera& camera : {kOrbbec, kKinect}) {
        ScratchDir scratch;
        ChildLaunch launch = photoRun(camera, {"shot.jpg"}, scratch.path());
        launch.stdoutSetup = ChildStdout::Full;
        const ChildResult result = runChild(launch);

        EXPECT_EQ(result.exitCode, 6) << camera.name;
        EXPECT_EQ(programLines(result.err), std::vector<std::string>{"Standardausgabe konnte nicht geschrieben werden."})
            << result.err;
        EXPECT_EQ(decodeJpeg(readFileBytes(scratch / "shot.jpg")).size(), camera.colorSize) << camera.name;
    }
}
