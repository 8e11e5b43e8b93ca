// The end of a recorded series: capture.json and the "captureCompleted" line that names it.
#include "SeriesSummary.h"

#include "CaptureMetadata.h"

#include <system_error>

void writeSeriesSummary(const std::filesystem::path& outputDir, CaptureBackend backend,
                        const CaptureStatistics& statistics, const std::string& captureJson)
{
    const std::string metadataFile = writeCaptureJson(outputDir, captureJson);
    try {
        emitCaptureCompleted(backend, statistics, metadataFile);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(metadataFile, ignored);
        throw;
    }
}
