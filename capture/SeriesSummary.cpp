// The end of a recorded series: timing.csv, capture.json and the "captureCompleted" line that names it,
// and the earlier run's summary files.
#include "SeriesSummary.h"

#include "CompleteFile.h"
#include "SeriesTiming.h"

#include <cerrno>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

struct SummaryFile {
    const char* name;
    const char* notWrittenMessage;
};

const SummaryFile kCaptureJson{"capture.json", "capture.json konnte nicht geschrieben werden."};
const SummaryFile kTimingCsv{kTimingFileName, "timing.csv konnte nicht geschrieben werden."};

std::string write(const std::filesystem::path& outputDir, const SummaryFile& file, const std::string& text)
{
    const std::string path = (outputDir / file.name).string();
    if (writeCompleteFile(path, text.data(), text.size()) != CompleteFileResult::Written) {
        throw std::runtime_error(file.notWrittenMessage);
    }
    return path;
}

void removeEarlier(const std::filesystem::path& outputDir, const SummaryFile& file)
{
    const std::string path = (outputDir / file.name).string();
    struct stat status {};
    // stat follows a link: a link to a regular file goes as well, the file it leads to stays.
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return;
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw std::runtime_error(file.notWrittenMessage);
    }
}

// Removes the files written so far when what follows fails.
class WrittenFiles {
public:
    ~WrittenFiles()
    {
        for (const std::string& path : paths_) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
    void add(std::string path) { paths_.push_back(std::move(path)); }
    void keep() { paths_.clear(); }

private:
    std::vector<std::string> paths_;
};

} // namespace

std::string writeCaptureJson(const std::filesystem::path& outputDir, const std::string& text)
{
    return write(outputDir, kCaptureJson, text);
}

void writeSeriesSummary(const std::filesystem::path& outputDir, CaptureBackend backend,
                        const CaptureStatistics& statistics, const std::string& captureJson,
                        const std::string& timingCsv)
{
    WrittenFiles written;
    const std::string metadataFile = writeCaptureJson(outputDir, captureJson);
    written.add(metadataFile);
    written.add(write(outputDir, kTimingCsv, timingCsv));
    emitCaptureCompleted(backend, statistics, metadataFile);
    written.keep();
}

void removeEarlierSummary(const std::filesystem::path& outputDir)
{
    // The timing file first: should capture.json then stay, it keeps the earlier series a pair.
    removeEarlier(outputDir, kTimingCsv);
    removeEarlier(outputDir, kCaptureJson);
}

std::function<void()> beforeFrameFiles(const std::filesystem::path& outputDir, int32_t index)
{
    if (index != 0) {
        return {};
    }
    return [outputDir] { removeEarlierSummary(outputDir); };
}
