// The end of a recorded series: timing.csv, capture.json and the "captureCompleted" line that names it,
// and the earlier run's summary files, which go before the new run's first frame file.
#pragma once

#include "CaptureStatistics.h"
#include "EventLines.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// Writes the text to outputDir/capture.json as a complete file, replacing an
// earlier one, and returns that path. When the file cannot be created or its
// text does not all reach the disk, throws "capture.json konnte nicht
// geschrieben werden." and leaves what was there.
std::string writeCaptureJson(const std::filesystem::path& outputDir, const std::string& text);

// Writes captureJson to outputDir/capture.json and timingCsv to outputDir/timing.csv, each as
// writeCaptureJson does (the timing file's failure: "timing.csv konnte nicht geschrieben werden."),
// then the "captureCompleted" line. All or none: when a later one fails, the files written before
// it are removed again before the failure passes on, so a failed run never leaves a summary, nor
// the one file without the other.
void writeSeriesSummary(const std::filesystem::path& outputDir, CaptureBackend backend,
                        const CaptureStatistics& statistics, const std::string& captureJson,
                        const std::string& timingCsv);

// Removes an earlier run's outputDir/timing.csv and outputDir/capture.json (each a regular file or a
// link to one), so that they never stand beside frames of another run; called just before a run's
// first frame file takes its name. Anything else at those names stays. Throws the file's message of
// writeSeriesSummary when one cannot be removed.
void removeEarlierSummary(const std::filesystem::path& outputDir);

// What runs before the first file of the frame with this index takes its name:
// removeEarlierSummary for a run's first frame, nothing for the others.
std::function<void()> beforeFrameFiles(const std::filesystem::path& outputDir, int32_t index);
