// The JSON event lines of kestrum-capture: one object per line, each written whole to its descriptor at once.
#include "EventLines.h"

#include "JsonEscape.h"
#include "LineWriter.h"

#include <iomanip>
#include <sstream>
#include <unistd.h>

std::string deviceOpenedLine(CaptureBackend backend, const std::string& deviceName, const std::string& serial,
                             int32_t durationMs, int32_t sampleFps)
{
    std::ostringstream line;
    line << "{\"event\":\"deviceOpened\",";
    if (backend == CaptureBackend::Orbbec) {
        line << "\"backend\":\"orbbec\"," << "\"device\":\"" << escapeJson(deviceName) << "\",";
    }
    line << "\"serial\":\"" << escapeJson(serial) << "\"," << "\"durationMs\":" << durationMs << ","
         << "\"sampleFps\":" << sampleFps << "}";
    return line.str();
}

std::string frameSavedLine(int32_t index, int64_t timestampMs, const std::string& colorFile,
                           const std::string& depthFile, const std::string& depthRawFile)
{
    std::ostringstream line;
    line << "{\"event\":\"frameSaved\"," << "\"index\":" << index << "," << "\"timestampMs\":" << timestampMs << ","
         << "\"colorFile\":\"" << escapeJson(colorFile) << "\"," << "\"depthFile\":\"" << escapeJson(depthFile)
         << "\"," << "\"depthRawFile\":\"" << escapeJson(depthRawFile) << "\"}";
    return line.str();
}

std::string captureCompletedLine(CaptureBackend backend, const CaptureStatistics& statistics,
                                 const std::string& metadataFile)
{
    std::ostringstream line;
    line << std::fixed << std::setprecision(3);
    line << "{\"event\":\"captureCompleted\",";
    if (backend == CaptureBackend::Orbbec) {
        line << "\"backend\":\"orbbec\",";
    }
    line << "\"actualDurationMs\":" << statistics.actualDurationMs << ","
         << "\"receivedFrames\":" << statistics.receivedFrames << ","
         << "\"savedFrames\":" << statistics.savedFrames << ","
         << "\"missingFrames\":" << statistics.missingFrames << ","
         << "\"incompleteFrames\":" << statistics.incompleteFrames << ","
         << "\"skippedFrames\":" << statistics.skippedFrames << ","
         << "\"receivedFps\":" << statistics.receivedFps << ","
         << "\"savedFps\":" << statistics.savedFps << ","
         << "\"metadataFile\":\"" << escapeJson(metadataFile) << "\"}";
    return line.str();
}

std::string errorLine(const std::string& message)
{
    return "{\"event\":\"error\",\"message\":\"" + escapeJson(message) + "\"}";
}

// Each line goes out in one write, so a reader never sees half a line. A failed write
// changes nothing (Part 1.2): the writer's result is not used yet.
void emitDeviceOpened(CaptureBackend backend, const std::string& deviceName, const std::string& serial,
                      int32_t durationMs, int32_t sampleFps)
{
    kestrum::writeLine(STDOUT_FILENO, deviceOpenedLine(backend, deviceName, serial, durationMs, sampleFps));
}

void emitFrameSaved(int32_t index, int64_t timestampMs, const std::string& colorFile, const std::string& depthFile,
                    const std::string& depthRawFile)
{
    kestrum::writeLine(STDOUT_FILENO, frameSavedLine(index, timestampMs, colorFile, depthFile, depthRawFile));
}

void emitCaptureCompleted(CaptureBackend backend, const CaptureStatistics& statistics,
                          const std::string& metadataFile)
{
    kestrum::writeLine(STDOUT_FILENO, captureCompletedLine(backend, statistics, metadataFile));
}

void emitErrorEvent(const std::string& message)
{
    kestrum::writeLine(STDERR_FILENO, errorLine(message));
}
