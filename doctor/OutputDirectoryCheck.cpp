// The output directory as the capture program will meet it.
#include "OutputDirectoryCheck.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kMebibyte = 1024 * 1024;

// A file made in the folder and removed again when this goes, on every way out.
class ProbeFile {
public:
    explicit ProbeFile(const fs::path& folder)
        : path_((folder / ".kestrum-doctor-XXXXXX").string()), fd_(::mkstemp(path_.data())),
          error_(fd_.get() < 0 ? errno : 0)
    {
    }
    ~ProbeFile()
    {
        if (fd_.get() >= 0) {
            ::unlink(path_.c_str());
        }
    }
    ProbeFile(const ProbeFile&) = delete;
    ProbeFile& operator=(const ProbeFile&) = delete;

    // 0 when the file was made, else why not.
    int error() const { return error_; }

private:
    std::string path_;
    FileDescriptor fd_;
    int error_ = 0;
};

// The nearest folder at or above the path that is there, and whether the path itself is.
fs::path nearestExisting(const fs::path& path)
{
    fs::path existing = fs::absolute(path);
    std::error_code error;
    while (!fs::exists(fs::symlink_status(existing, error)) && existing.has_relative_path()) {
        existing = existing.parent_path();
    }
    return existing;
}

Finding problem(std::string message, std::string fix)
{
    return {Level::Problem, Topic::Directory, std::move(message), std::move(fix)};
}

Finding spaceFinding(const fs::path& folder, int64_t seriesBytes, const std::string& seriesDescription)
{
    struct statvfs fileSystem{};
    if (::statvfs(folder.c_str(), &fileSystem) != 0) {
        return problem("cannot tell the free space of " + folder.string() + " (" + std::strerror(errno) + ")", "");
    }
    const int64_t freeBytes = static_cast<int64_t>(fileSystem.f_bavail) * static_cast<int64_t>(fileSystem.f_frsize);
    const std::string freeText = std::to_string(freeBytes / kMebibyte) + " MiB free";
    const std::string needText = std::to_string((seriesBytes + kMebibyte - 1) / kMebibyte) + " MiB";
    if (freeBytes < seriesBytes) {
        return problem("only " + freeText + " there, and one series (" + seriesDescription + ") takes up to " +
                           needText,
                       "free space on that file system, or choose an output directory on another one");
    }
    return {Level::Ok, Topic::Directory,
            freeText + " there, and one series (" + seriesDescription + ") takes at most " + needText, ""};
}

} // namespace

Findings outputDirectoryFindings(const fs::path& outputDir, int64_t seriesBytes,
                                 const std::string& seriesDescription, const std::string& userName)
{
    const std::string shown = outputDir.string();
    const fs::path folder = nearestExisting(outputDir);
    const bool exists = folder == fs::absolute(outputDir);
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return {exists ? problem("output directory " + shown + " is there but is no directory",
                                 "remove it, or choose another output directory")
                       : problem("output directory " + shown + " cannot be created: " + folder.string() +
                                     " is no directory",
                                 "choose another output directory")};
    }
    const ProbeFile probe(folder);
    if (probe.error() != 0) {
        const std::string reason = std::strerror(probe.error());
        return {exists ? problem("output directory " + shown + " is not writable for user " + userName + " (" +
                                     reason + ")",
                                 "sudo chown " + userName + " " + shown + ", or choose another output directory")
                       : problem("output directory " + shown + " does not exist, and user " + userName +
                                     " cannot create it in " + folder.string() + " (" + reason + ")",
                                 "sudo mkdir -p " + shown + " && sudo chown " + userName + " " + shown)};
    }
    const Finding where = exists ? Finding{Level::Ok, Topic::Directory, "output directory " + shown + " is writable", ""}
                                 : Finding{Level::Ok, Topic::Directory,
                                           "output directory " + shown + " does not exist yet; the capture program " +
                                               "can create it in " + folder.string(),
                                           ""};
    return {where, spaceFinding(folder, seriesBytes, seriesDescription)};
}
