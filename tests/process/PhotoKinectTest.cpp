// kestrum-photo against the simulated Kinect v2 (no Orbbec camera attached):
// the photo, the live stream and its stop signals, and the device failures.
#include "PhotoProcessSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

using namespace std::chrono_literals;

namespace {

ChildSpec photoRun(const std::string& kinect, const std::vector<std::string>& args, const std::string& dir = {})
{
    return {photoProgramPath(), args, {{"KESTRUM_SIM_KINECT", kinect}}, dir};
}

} // namespace

TEST(PhotoKinect, PhotoIsTheFullSizeFrameAndThePathLineIsAsGiven)
{
    ScratchDir scratch;
    const ChildResult result = runChild(photoRun("attached;fps=200", {"shot.jpg"}, scratch.path()));

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "shot.jpg\n");
    EXPECT_TRUE(programLines(result.err).empty()) << result.err;
    const cv::Mat photo = decodeJpeg(readFileBytes(scratch / "shot.jpg"));
    EXPECT_EQ(photo.cols, 1920);
    EXPECT_EQ(photo.rows, 1080);
    // The device was stopped before it was closed.
    EXPECT_TRUE(occursInOrder(result.err, {"stopping...", "stopped", "closing..."})) << result.err;
}

TEST(PhotoKinect, StreamCarriesOnlyPartsOf960x540AndEndsCleanlyOnEitherStopSignal)
{
    for (const int stopSignal : {SIGTERM, SIGINT}) {
        ChildProcess child(photoRun("attached;fps=120", {"--stream"}));
        const ParsedStream early = readParts(child, 2, 60s);
        ASSERT_EQ(early.fault, "");
        ASSERT_GE(early.jpegs.size(), 2u) << "signal " << stopSignal;

        child.sendSignal(stopSignal);
        const ChildResult result = child.wait(60s);

        EXPECT_EQ(result.exitCode, 0) << "signal " << stopSignal << "\n" << result.err;
        const ParsedStream stream = parseStream(result.out);
        EXPECT_EQ(stream.fault, "");
        EXPECT_EQ(stream.trailing, "");
        for (const std::string& jpeg : stream.jpegs) {
            const cv::Mat image = decodeJpeg(jpeg);
            EXPECT_EQ(image.cols, 960);
            EXPECT_EQ(image.rows, 540);
        }
        EXPECT_TRUE(programLines(result.err).empty()) << result.err;
        EXPECT_TRUE(occursInOrder(result.err, {"started", "stopping...", "stopped", "closing...", "closed"}))
            << result.err;
    }
}

TEST(PhotoKinect, StopBeforeTheFirstPartEndsWithNothingWritten)
{
    ChildProcess child(photoRun("attached;fps=2", {"--stream"}));  // the warm-up lasts ten seconds
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

TEST(PhotoKinect, StopSignalDoesNotShortenAPhotoRun)
{
    ScratchDir scratch;
    ChildProcess child(photoRun("attached;fps=10", {"shot.jpg"}, scratch.path()));
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
    EXPECT_EQ(decodeJpeg(readFileBytes(scratch / "shot.jpg")).size(), cv::Size(1920, 1080));
}

TEST(PhotoKinect, DeviceFailuresGiveTheirMessageAndCode)
{
    struct Case {
        std::string kinect;
        std::string message;
        int code;
        std::vector<std::string> order;  // the message against the device's log lines
    };
    const Case cases[] = {
        {"", "Keine Kinect v2 gefunden.", 3, {"found 0 devices", "Keine Kinect v2 gefunden."}},
        {"attached;fail=open", "Kinect konnte nicht geöffnet werden.", 4, {"Kinect konnte nicht"}},
        // Closed without a stop, and only after the message.
        {"attached;fail=start", "Kinect-Farbstream konnte nicht gestartet werden.", 5,
         {"Kinect-Farbstream", "closing...", "closed"}},
        // Three frames, then the stream's one-second wait runs out: stopped and closed after the message.
        {"attached;fps=100;frames=3", "Timeout beim Warten auf Kinect-Farbbild.", 6,
         {"Timeout beim Warten", "stopping...", "stopped", "closing..."}},
    };
    for (const Case& c : cases) {
        const ChildResult result = runChild(photoRun(c.kinect, {"--stream"}));

        EXPECT_EQ(result.exitCode, c.code) << c.kinect;
        EXPECT_EQ(result.out, "") << c.kinect;
        EXPECT_EQ(programLines(result.err), std::vector<std::string>{c.message}) << result.err;
        EXPECT_TRUE(occursInOrder(result.err, c.order)) << result.err;
        if (c.code == 5) {
            EXPECT_EQ(result.err.find("stopping..."), std::string::npos) << result.err;
        }
    }
}

TEST(PhotoKinect, ImageLibraryErrorIsOneLineAfterTheDeviceIsClosed)
{
    ScratchDir scratch;
    const ChildResult result = runChild(photoRun("attached;fps=200", {"shot.unknown-extension"}, scratch.path()));

    EXPECT_EQ(result.exitCode, 8);
    EXPECT_EQ(result.out, "");
    const std::vector<std::string> lines = programLines(result.err);
    ASSERT_EQ(lines.size(), 1u) << result.err;
    EXPECT_EQ(lines[0].rfind("Kinect-Fehler: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("could not find a writer"), std::string::npos) << lines[0];
    EXPECT_TRUE(occursInOrder(result.err, {"stopping...", "closing...", "Kinect-Fehler: "})) << result.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "shot.unknown-extension"));
}
