// The output directory as the capture program will meet it.
#include "OutputDirectoryCheck.h"

#include "OutputDirectoryMessages.h"
#include "SeriesFoldersCheck.h"
#include "SeriesWriteLock.h"
#include "WritableFolder.h"

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kMebibyte = 1024 * 1024;

// The nearest folder at or above a path that is there, or, where a folder above cannot be looked
// into, the highest such folder.
struct NearestFolder {
    fs::path existing;
    fs::path closed;             // a folder this user may not look into; empty when there is none
    std::error_code closedError;
};

NearestFolder nearestExisting(const fs::path& absolute)
{
    NearestFolder nearest{absolute, {}, {}};
    for (;;) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(nearest.existing, error);
        if (status.type() != fs::file_type::not_found) {
            if (!error) {
                return nearest;
            }
            nearest.closed = nearest.existing.parent_path();
            nearest.closedError = error;
        }
        if (!nearest.existing.has_relative_path()) {
            return nearest;
        }
        nearest.existing = nearest.existing.parent_path();
    }
}

Finding problem(std::string message, std::string fix)
{
    return {Level::Problem, Topic::Directory, std::move(message), std::move(fix)};
}

Finding spaceFinding(const fs::path& folder, const SeriesToWrite& series)
{
    struct statvfs fileSystem{};
    if (::statvfs(folder.c_str(), &fileSystem) != 0) {
        return problem("cannot tell the free space of " + folder.string() + " (" + std::strerror(errno) + ")", "");
    }
    const int64_t freeBytes = static_cast<int64_t>(fileSystem.f_bavail) * static_cast<int64_t>(fileSystem.f_frsize);
    const std::string freeText = std::to_string(freeBytes / kMebibyte) + " MiB free";
    const std::string needText = std::to_string((series.bytes + kMebibyte - 1) / kMebibyte) + " MiB";
    if (freeBytes < series.bytes) {
        return problem("only " + freeText + " there, and one series (" + series.description + ") takes up to " +
                           needText,
                       "free space on that file system, or choose an output directory on another one");
    }
    return {Level::Ok, Topic::Directory,
            freeText + " there, and one series (" + series.description + ") takes at most " + needText, ""};
}

// A capture that writes into the directory now keeps every other one out.
Findings lockFindings(const fs::path& outputDir)
{
    const std::string shown = outputDir.string();
    switch (seriesWriting(outputDir)) {
    case SeriesWriting::None:
        break;
    case SeriesWriting::ByCapture:
        return {problem("a capture is writing into output directory " + shown + " now, so another one there would "
                            "end with \"" + kOutputDirectoryBusyMessage + "\"",
                        "wait until it has ended, or choose another output directory")};
    case SeriesWriting::CannotTell:
        return {{Level::Note, Topic::Directory,
                 "cannot tell whether a capture is writing into output directory " + shown +
                     " now: this user cannot open it for reading, or its file system keeps no locks",
                 ""}};
    }
    return {};
}

} // namespace

Findings outputDirectoryFindings(const fs::path& outputDir, const SeriesToWrite& series, const std::string& userName)
{
    const std::string shown = outputDir.string();
    // Without a working directory this throws, which the doctor reports as its own failure.
    const fs::path absolute = fs::absolute(outputDir);
    const NearestFolder nearest = nearestExisting(absolute);
    if (!nearest.closed.empty()) {
        return {problem("cannot tell whether output directory " + shown + " is there: user " + userName +
                            " may not look into " + nearest.closed.string() + " (" + nearest.closedError.message() + ")",
                        "sudo chmod a+x " + nearest.closed.string() + ", or choose another output directory")};
    }
    const fs::path& folder = nearest.existing;
    const bool exists = folder == absolute;
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return {exists ? problem("output directory " + shown + " is there but is no directory",
                                 "remove it, or choose another output directory")
                       : problem("output directory " + shown + " cannot be created: " + folder.string() +
                                     " is no directory",
                                 "choose another output directory")};
    }
    if (const int writeError = folderWriteError(folder)) {
        const std::string reason = std::strerror(writeError);
        return {exists ? problem("output directory " + shown + " is not writable for user " + userName + " (" +
                                     reason + ")",
                                 "sudo chown " + userName + " " + shown + ", or choose another output directory")
                       : problem("output directory " + shown + " does not exist, and user " + userName +
                                     " cannot create it in " + folder.string() + " (" + reason + ")",
                                 "sudo mkdir -p " + shown + " && sudo chown " + userName + " " + shown)};
    }
    if (!exists) {
        return {{Level::Ok, Topic::Directory,
                 "output directory " + shown + " does not exist yet; the capture program can create it in " +
                     folder.string(),
                 ""},
                spaceFinding(folder, series)};
    }
    Findings findings = lockFindings(outputDir);
    findings.push_back({Level::Ok, Topic::Directory, "output directory " + shown + " is writable", ""});
    const Findings folders = seriesFolderFindings(outputDir, series, userName);
    findings.insert(findings.end(), folders.begin(), folders.end());
    findings.push_back(spaceFinding(folder, series));
    return findings;
}
