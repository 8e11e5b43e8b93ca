// The folders and earlier files of an output directory as a capture will meet them.
#include "SeriesFoldersCheck.h"

#include "CompleteFile.h"
#include "SeriesTiming.h"
#include "WritableFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kElsewhereFix = "or choose another output directory";

Finding problem(std::string message, std::string fix)
{
    return {Level::Problem, Topic::Directory, std::move(message), std::move(fix)};
}

// Why a capture cannot put a new file in the place of the one at path, or nothing. It replaces a
// regular file, or the one a link leads to, by renaming a new file made beside it.
std::optional<std::string> whyNotReplaceable(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        return std::string("cannot be looked at: ") + std::strerror(errno);
    }
    const fs::path target = replaceableTarget(path);
    if (target.empty()) {
        return "is no regular file";
    }
    const fs::path folder = target.parent_path();
    struct stat file {};
    struct stat parent {};
    if (::stat(target.c_str(), &file) != 0 || ::stat(folder.c_str(), &parent) != 0) {
        return std::string("cannot be looked at: ") + std::strerror(errno);
    }
    if (target != path && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return "leads to " + target.string() + " in a folder this user may not write";
    }
    // In a folder with the sticky bit only a file's or the folder's owner may replace it.
    const uid_t user = ::geteuid();
    if ((parent.st_mode & S_ISVTX) != 0 && user != 0 && file.st_uid != user && parent.st_uid != user) {
        return "belongs to another user in a folder with the sticky bit";
    }
    return std::nullopt;
}

// One finding for the files of a folder that a capture cannot replace, naming the first.
void addEarlierFileFindings(Findings& findings, const fs::path& folder, const std::vector<std::string>& paths)
{
    std::optional<std::string> first;
    std::string firstReason;
    int64_t more = 0;
    for (const std::string& path : paths) {
        if (const std::optional<std::string> reason = whyNotReplaceable(path)) {
            if (first) {
                ++more;
                continue;
            }
            first = path;
            firstReason = *reason;
        }
    }
    if (!first) {
        return;
    }
    const std::string others =
        more > 0 ? " (nor " + std::to_string(more) + " more earlier files in " + folder.string() + ")" : "";
    findings.push_back(problem("a capture cannot replace " + *first + ", which " + firstReason + others,
                               "remove what stands there, " + kElsewhereFix));
}

} // namespace

Findings seriesFolderFindings(const fs::path& outputDir, const SeriesToWrite& series, const std::string& userName)
{
    Findings findings;
    for (const char* name : kFrameFolders) {
        const fs::path folder = outputDir / name;
        std::error_code error;
        const fs::file_status link = fs::symlink_status(folder, error);
        if (link.type() == fs::file_type::not_found) {
            continue;  // the capture makes it
        }
        const fs::file_status status = fs::status(folder, error);
        if (error && status.type() != fs::file_type::not_found) {
            findings.push_back(
                problem("cannot tell what " + folder.string() + " is (" + error.message() + ")", "remove it, " + kElsewhereFix));
            continue;
        }
        if (!fs::is_directory(status)) {
            findings.push_back(problem(folder.string() + " is there but is no directory, where a capture makes its folder",
                                       "remove it, " + kElsewhereFix));
            continue;
        }
        if (const int writeError = folderWriteError(folder)) {
            findings.push_back(problem(folder.string() + " is not writable for user " + userName + " (" +
                                           std::strerror(writeError) + ")",
                                       "sudo chown -R " + userName + " " + outputDir.string() + ", " + kElsewhereFix));
            continue;
        }
        std::vector<std::string> earlier;
        for (const FrameFile& file : series.frameFiles) {
            if (std::strcmp(file.subDirectory, name) != 0) {
                continue;
            }
            for (int32_t index = 0; index < series.frames; ++index) {
                earlier.push_back(frameFilePath(outputDir, file, index));
            }
        }
        addEarlierFileFindings(findings, folder, earlier);
    }
    addEarlierFileFindings(findings, outputDir,
                           {(outputDir / "capture.json").string(), (outputDir / kTimingFileName).string()});
    return findings;
}
