// The run of kestrum-capture from the command line to the exit code.
#include "RunDriver.h"

#include "CaptureArguments.h"
#include "EventLines.h"
#include "KinectCapture.h"
#include "OrbbecCapture.h"
#include "OutputDirectories.h"

#include <exception>

namespace {

int recordSeries(int argc, const char* const argv[])
{
    const CaptureOptions options = parseCaptureArguments(argc, argv);
    createOutputDirectories(options.outputDir);
    // Held until the run ends, camera released and files closed.
    const SeriesWriteLock lock = lockOutputDirectory(options.outputDir);
    if (const auto orbbecResult = runOrbbecCapture(options.outputDir, options.durationMs, options.sampleFps)) {
        return *orbbecResult;
    }
    return runKinectCapture(options.outputDir, options.durationMs, options.sampleFps);
}

} // namespace

int runCapture(int argc, const char* const argv[])
{
    // The backends have released their cameras by the time an exception gets here.
    try {
        return recordSeries(argc, argv);
    } catch (const std::exception& error) {
        emitErrorEvent(error.what());
        return 1;
    }
}
