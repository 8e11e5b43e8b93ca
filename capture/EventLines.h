// The JSON event lines of kestrum-capture: one object per line, each written whole to its descriptor at once.
#pragma once

#include "CaptureStatistics.h"

#include <cstdint>
#include <string>

enum class CaptureBackend { Kinect, Orbbec };

// The line texts, without the final line feed.
std::string deviceOpenedLine(CaptureBackend backend, const std::string& deviceName, const std::string& serial,
                             int32_t durationMs, int32_t sampleFps);
std::string frameSavedLine(int32_t index, int64_t timestampMs, const std::string& colorFile,
                           const std::string& depthFile, const std::string& depthRawFile);
std::string captureCompletedLine(CaptureBackend backend, const CaptureStatistics& statistics,
                                 const std::string& metadataFile);
std::string errorLine(const std::string& message);

// deviceName is used by the Orbbec form only.
void emitDeviceOpened(CaptureBackend backend, const std::string& deviceName, const std::string& serial,
                      int32_t durationMs, int32_t sampleFps);
void emitFrameSaved(int32_t index, int64_t timestampMs, const std::string& colorFile, const std::string& depthFile,
                    const std::string& depthRawFile);
void emitCaptureCompleted(CaptureBackend backend, const CaptureStatistics& statistics,
                          const std::string& metadataFile);
// Writes the "error" line to standard error.
void emitErrorEvent(const std::string& message);
