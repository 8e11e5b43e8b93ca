// OrbbecCamera against the simulated Orbbec SDK: stream modes, grabs, starts and stops that make no
// SDK call, and a log message of several lines; and the photo's Orbbec stream, which the SDK can have
// stopped exactly while a frame wait runs out, as no process test can time it. (Device texts,
// intrinsics, aligned millimetre depth, profile and start failures, frame synchronisation, timeouts,
// grab errors and the release of SDK objects show in the programs' output and the camera sequences.)
#include "OrbbecCamera.h"
#include "OrbbecPhoto.h"
#include "StopSignal.h"
#include "StreamCapture.h"

#include "../simulated-sdks/OrbbecSimulationVariable.h"

#include <kestrum_sim/OrbbecObserver.h>
#include <libobsensor/ObSensor.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using kestrum_sim::liveOrbbecObjects;
using Mode = OrbbecCamera::Mode;

namespace {

std::vector<std::string> callsDuring(const std::function<void()>& action) {
    kestrum_sim::startOrbbecCallLog();
    action();
    return kestrum_sim::orbbecCallLog();
}

// Position of the first call of that function, or calls.size() when it was not called.
size_t positionOf(const std::vector<std::string>& calls, const std::string& function) {
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), function) - calls.begin());
}

// What the call throws: "ob::Error: <text>" for an SDK error, the text of any other
// exception, or "(no exception)".
std::string thrownBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const ob::Error& error) {
        return std::string("ob::Error: ") + error.what();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no exception)";
}

// The severity call turns the real SDK's file log on; only a call right after it, before the first
// SDK object, turns it off again.
TEST(OrbbecCameraOpening, NoCameraOrOneThatCannotBeOpenedLeavesNoSdkObjectAndNoFileLog) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "Keine Orbbec-Kamera gefunden."},
        {"fail=open", "ob::Error: simulated failure: the device could not be opened"},
    };
    for (const auto& [setting, message] : cases) {
        OrbbecSimulationVariable camera(setting);
        std::string thrown;
        const auto calls = callsDuring([&] { thrown = thrownBy([] { OrbbecCamera opened(Mode::Rgbd); }); });
        EXPECT_EQ(thrown.rfind(message, 0), 0u) << setting;
        EXPECT_EQ(liveOrbbecObjects(), 0u) << setting;
        const size_t severity = positionOf(calls, "ob_set_logger_severity");
        ASSERT_LT(severity + 1, calls.size()) << setting;
        EXPECT_EQ(calls[severity + 1], "ob_set_logger_to_file") << setting;
        EXPECT_LT(severity + 1, positionOf(calls, "ob_create_context_with_config")) << setting;
    }
}

// Any mode other than RGBD behaves as colour, and needs no depth profile.
TEST(OrbbecCameraStreams, ColourModeSetsUpColourOnlyAndRefusesRgbdGrabs) {
    OrbbecSimulationVariable camera("fail=depth-profile");
    for (const Mode mode : {Mode::Color, static_cast<Mode>(7)}) {
        OrbbecCamera opened(mode);
        EXPECT_EQ(thrownBy([&] { opened.grabColor(100); }), "Orbbec-Kamera ist nicht gestartet.");
        const auto calls = callsDuring([&] { opened.start(); });
        for (const char* rgbdOnly : {"ob_config_set_align_mode", "ob_config_set_frame_aggregate_output_mode",
                                     "ob_pipeline_enable_frame_sync", "ob_create_filter"}) {
            EXPECT_EQ(positionOf(calls, rgbdOnly), calls.size()) << rgbdOnly;
        }
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "ob_config_enable_stream_with_stream_profile"), 1);
        EXPECT_TRUE(opened.isStarted());
        EXPECT_FALSE(opened.frameSyncEnabled());
        EXPECT_EQ(opened.intrinsics().width, 1280);
        EXPECT_EQ(thrownBy([&] { opened.grabAlignedRgbd(100); }), "Kamera wurde nicht im RGBD-Modus geöffnet.");
    }
}

TEST(OrbbecCameraStreams, SecondStartAndStopWhileIdleMakeNoSdkCallAndGrabsNeedAStart) {
    OrbbecSimulationVariable camera("attached");
    OrbbecCamera opened(Mode::Rgbd);
    EXPECT_TRUE(callsDuring([&] { opened.stop(); }).empty());
    opened.start();
    EXPECT_TRUE(callsDuring([&] { opened.start(); }).empty());
    opened.stop();
    EXPECT_FALSE(opened.isStarted());
    EXPECT_TRUE(callsDuring([&] { opened.stop(); }).empty());
    EXPECT_EQ(thrownBy([&] { opened.grabAlignedRgbd(100); }), "Orbbec-Kamera ist nicht gestartet.");
}

// Each image keeps the pixels it was grabbed with through later grabs and after the camera is gone.
TEST(OrbbecCameraGrabs, ImagesKeepTheirPixelsThroughLaterGrabsAndAfterTheCamera) {
    OrbbecSimulationVariable camera("attached");
    std::vector<std::pair<cv::Mat, cv::Mat>> grabbed;  // each image with a copy taken at once
    {
        OrbbecCamera opened(Mode::Rgbd);
        opened.start();
        for (int grab = 0; grab < 3; ++grab) {
            const OrbbecRgbdFrame frame = opened.grabAlignedRgbd(5000);
            grabbed.emplace_back(frame.color, frame.color.clone());
            grabbed.emplace_back(frame.depth, frame.depth.clone());
        }
        const cv::Mat colourOnly = opened.grabColor(5000);
        grabbed.emplace_back(colourOnly, colourOnly.clone());
    }
    for (const auto& [image, copy] : grabbed) {
        ASSERT_TRUE(image.isContinuous() && image.size() == copy.size() && image.type() == copy.type());
        EXPECT_EQ(std::memcmp(image.data, copy.data, copy.total() * copy.elemSize()), 0);
    }
    EXPECT_GT(cv::sum(grabbed[0].first)[0] + cv::sum(grabbed[1].first)[0], 0.0);
}

// Where the SDK's log goes and that its lines are whole shows in the programs' standard error.
// The SDK ends its messages with a line feed, which must not become a blank at the line's end.
TEST(OrbbecCameraLog, AnSdkMessageOfTwoLinesIsLoggedAsOne) {
    OrbbecSimulationVariable camera("grab-error-at=1;error=transfer failed\nendpoint stalled");
    OrbbecCamera started(Mode::Color);
    started.start();
    testing::internal::CaptureStderr();
    EXPECT_THROW(started.grabColor(5000), ob::Error);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(err.substr(err.find("] transfer")), "] transfer failed endpoint stalled\n") << err;
}

TEST(OrbbecPhotoStream, AFrameWaitThatRunsOutWhileAStopIsPendingEndsTheStreamAsAStop) {
    // Five warm-up frames, then no more: the sixth wait runs out, and the stop comes as it does.
    OrbbecSimulationVariable camera("fps=200;frames=5");
    kestrum_sim::observeOrbbecFramesetTimeouts([] { stopRequested = 1; });
    PhotoOptions options;
    options.stream = true;
    options.outputPath = "--stream";
    std::optional<int> code;
    std::string err;
    const std::string out = writtenTo(std::cout, [&] { err = writtenTo(std::cerr, [&] { code = runOrbbecPhoto(options); }); });
    kestrum_sim::observeOrbbecFramesetTimeouts(nullptr);
    stopRequested = 0;

    EXPECT_EQ(code, 0);
    EXPECT_EQ(err, "");
    EXPECT_EQ(out, "");
}

}  // namespace
