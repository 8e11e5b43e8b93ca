// The end of a recorded series: capture.json and the "captureCompleted" line that names it.
#pragma once

#include "CaptureStatistics.h"
#include "EventLines.h"

#include <filesystem>
#include <string>

// Writes captureJson to outputDir/capture.json, then the "captureCompleted" line.
// Both or neither: when the line cannot be written, capture.json is removed again
// before the failure passes on, so a failed run never leaves a summary.
void writeSeriesSummary(const std::filesystem::path& outputDir, CaptureBackend backend,
                        const CaptureStatistics& statistics, const std::string& captureJson);
