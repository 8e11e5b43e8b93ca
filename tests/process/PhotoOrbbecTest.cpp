// kestrum-photo against the simulated Orbbec camera: the usage line, the photo,
// the live stream and its stop signals, and the Orbbec failures, none of which
// falls back to the Kinect v2 (attached in every run here, and never touched).
#include "PhotoProcessSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

using namespace std::chrono_literals;

namespace {

ChildSpec photoRun(const std::string& orbbec, const std::vector<std::string>& args, const std::string& dir = {})
{
    return {photoProgramPath(), args, {{"KESTRUM_SIM_ORBBEC", orbbec}, {"KESTRUM_SIM_KINECT", "attached"}}, dir};
}

// libfreenect2 logs its device enumeration: without it, the Kinect v2 was left alone.
bool kinectTouched(const ChildResult& result)
{
    return result.err.find("[Info] ") != std::string::npos;
}

} // namespace

TEST(PhotoProgram, WrongNumberOfArgumentsGivesTheUsageLineAndExit2)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"--stream", "shot.jpg"}}) {
        const ChildResult result = runChild(photoRun("attached", args));

        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Verwendung: kestrum-photo <ausgabe.jpg>|--stream\n");
    }
}

TEST(PhotoOrbbec, PhotoIsTheFullSizeFrameAndThePathLineIsAsGiven)
{
    ScratchDir scratch;
    const ChildResult result = runChild(photoRun("attached;fps=200", {"shot.jpg"}, scratch.path()));

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "shot.jpg\n");
    EXPECT_EQ(result.err, "");
    const cv::Mat photo = decodeJpeg(readFileBytes(scratch / "shot.jpg"));
    EXPECT_EQ(photo.cols, 1280);
    EXPECT_EQ(photo.rows, 720);
}

TEST(PhotoOrbbec, StreamCarriesOnlyPartsOf960x540AndEndsCleanlyOnEitherStopSignal)
{
    for (const int stopSignal : {SIGTERM, SIGINT}) {
        ChildProcess child(photoRun("attached;fps=120", {"--stream"}));
        const ParsedStream early = readParts(child, 2, 60s);
        ASSERT_EQ(early.fault, "");
        ASSERT_GE(early.jpegs.size(), 2u) << "signal " << stopSignal;

        child.sendSignal(stopSignal);
        const ChildResult result = child.wait(60s);

        EXPECT_EQ(result.exitCode, 0) << "signal " << stopSignal << "\n" << result.err;
        EXPECT_EQ(result.err, "");
        const ParsedStream stream = parseStream(result.out);
        EXPECT_EQ(stream.fault, "");
        EXPECT_EQ(stream.trailing, "");
        for (const std::string& jpeg : stream.jpegs) {
            EXPECT_EQ(decodeJpeg(jpeg).size(), cv::Size(960, 540));
        }
    }
}

TEST(PhotoOrbbec, StopSignalDoesNotShortenAPhotoRun)
{
    ScratchDir scratch;
    ChildProcess child(photoRun("attached;fps=10", {"shot.jpg"}, scratch.path()));
    const HandlerState handlers = waitForStopHandlers(30s);
    if (handlers == HandlerState::NotObservable) {
        GTEST_SKIP() << "the stop handlers cannot be seen under an emulator";
    }
    ASSERT_EQ(handlers, HandlerState::Installed);

    child.sendSignal(SIGTERM);
    const ChildResult result = child.wait(60s);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "shot.jpg\n");
    EXPECT_EQ(decodeJpeg(readFileBytes(scratch / "shot.jpg")).size(), cv::Size(1280, 720));
}

TEST(PhotoOrbbec, FailuresAreReportedWithTheirTextAndExit7WithoutTryingTheKinect)
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
        // An image library error, reduced to one line.
        {"attached;fps=200", "shot.unknown-extension", "Orbbec-Fehler: OpenCV"},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        const ChildResult result = runChild(photoRun(c.orbbec, {c.argument}, scratch.path()));

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
