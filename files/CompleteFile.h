// Files that appear under their final name only once all their bytes are written.
#pragma once

#include <cstddef>
#include <string>

enum class CompleteFileResult {
    Written,
    NotCreated,  // no temporary file in the directory, or it could not take the final name,
                 // or the final name is no regular file
    NotWritten,  // not every byte reached the file, or closing it reported an error
};

// Writes the bytes to a temporary file ".<name>.XXXXXX" in the directory of
// path (XXXXXX: six random characters), closes it and renames it onto path,
// replacing an earlier file there. Until that rename the earlier file stays as
// it was, so path never holds a partial file, even when the process is killed.
// A failure removes the temporary file. The new file gets the mode a newly
// created one would have (0666 less the umask). Safe to call from several
// threads at once: it keeps no state between calls. Where path is a symbolic
// link, the regular file it leads to is replaced and the link stays; a path
// that names anything but a regular file (a directory, a device, a pipe) is
// never replaced: NotCreated.
CompleteFileResult writeCompleteFile(const std::string& path, const void* data, std::size_t size);

// What a write to path replaces: path itself, or, where path is a symbolic link, the regular file it
// leads to, so the link stays. Empty where path names anything but a regular file (a directory, a
// device such as /dev/null, a pipe) or a link that leads nowhere: renaming a new file onto such a name
// would put a regular file in its place.
std::string replaceableTarget(const std::string& path);

// writeCompleteFile in two steps: the constructor writes the temporary file,
// commit renames it onto path. Files made side by side can so take their names
// in a chosen order, and one that is never committed leaves nothing behind.
class StagedFile {
public:
    StagedFile(const std::string& path, const void* data, std::size_t size);
    // A file that failed before it could be written (an image the encoder refused).
    static StagedFile failed(CompleteFileResult failure);
    // Removes the temporary file unless it was committed.
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // True while the complete temporary file waits for its rename.
    bool isStaged() const { return !temporary_.empty(); }

    // Written once renamed onto path; otherwise what writeCompleteFile would
    // have returned. A file that failed to stage reports that failure.
    CompleteFileResult commit();

private:
    explicit StagedFile(CompleteFileResult failure);
    void removeTemporary() noexcept;

    std::string path_;
    std::string temporary_;  // empty once renamed or removed
    CompleteFileResult staged_ = CompleteFileResult::Written;
};
