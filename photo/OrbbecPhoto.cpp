// The photo or live stream from an Orbbec camera.
#include "OrbbecPhoto.h"

#include "FrameOutput.h"
#include "LineWriter.h"
#include "MessageLine.h"
#include "OrbbecCamera.h"
#include "PhotoExitCodes.h"
#include "PhotoOutcome.h"
#include "StopSignal.h"

#include <exception>

namespace {

void streamFrames(OrbbecCamera& camera, const PhotoOptions& options, bool& outputWritten)
{
    for (int32_t index = 0; stopRequested == 0; index = nextFrameIndex(index)) {
        cv::Mat frame;
        try {
            frame = camera.grabColor(kStreamFrameWaitMs);
        } catch (const std::exception&) {
            // A wait cut short by the stop request is the end of the stream, not a failure.
            if (stopRequested != 0) {
                return;
            }
            throw;
        }
        const bool goOn = handleFrame(frame, true, index, options.outputPath, outputWritten);
        if (stopRequested != 0 || !goOn) {
            return;
        }
    }
}

// Exactly 21 frames, whatever signals arrive: the warm-up and the photo.
void takePhoto(OrbbecCamera& camera, const PhotoOptions& options, bool& outputWritten)
{
    for (int32_t index = 0; index <= kPhotoFrameIndex; ++index) {
        handleFrame(camera.grabColor(kPhotoFrameWaitMs), false, index, options.outputPath, outputWritten);
    }
}

} // namespace

std::optional<int> runOrbbecPhoto(const PhotoOptions& options)
{
    try {
        OrbbecCamera camera(OrbbecCamera::Mode::Color);
        camera.start();
        bool outputWritten = false;
        if (options.stream) {
            streamFrames(camera, options, outputWritten);
        } else {
            takePhoto(camera, options, outputWritten);
        }
        camera.stop();
        return reportOutcome(options, outputWritten, stopRequested != 0);
    } catch (const NoOrbbecCamera&) {
        return std::nullopt;
    } catch (const std::exception& error) {
        writeLine(kStandardError, "Orbbec-Fehler: " + kestrum::oneLine(error.what()));
        return kExitOrbbecError;
    }
}
