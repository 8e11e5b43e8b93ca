// writeCompleteFile beyond what the program runs show: the new file's mode, links and
// names that are no regular file, and that neither a descriptor nor a temporary file outlives a call, however it ends.
#include "CompleteFile.h"

#include "ChildProcess.h"
#include "TinyTmpfs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

long entriesIn(const fs::path& directory)
{
    return std::distance(fs::directory_iterator(directory), fs::directory_iterator());
}

} // namespace

TEST(CompleteFile, GetsANewFilesModeAndLeavesNoDescriptorOrTemporaryFileBehind)
{
    ScratchDir scratch;
    const std::string bytes = "complete";
    const auto write = [&](const std::string& path) { return writeCompleteFile(path, bytes.data(), bytes.size()); };
    fs::create_directory(scratch / "taken");
    fs::create_directory(scratch / "disk");
    const long descriptors = entriesIn("/proc/self/fd");

    EXPECT_EQ(write(scratch / "file"), CompleteFileResult::Written);
    EXPECT_EQ(write(scratch / "missing/file"), CompleteFileResult::NotCreated);
    // A directory in the way.
    EXPECT_EQ(write(scratch / "taken"), CompleteFileResult::NotCreated);
    EXPECT_EQ(entriesIn(scratch.path()), 3) << "file, taken and disk, no temporary file";
    // A link's target is replaced and the link stays; a pipe (like a device) is never replaced.
    fs::create_symlink("file", scratch / "link");
    ASSERT_EQ(::mkfifo((scratch / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(writeCompleteFile(scratch / "link", "new", 3), CompleteFileResult::Written);
    EXPECT_TRUE(fs::is_symlink(scratch / "link"));
    EXPECT_EQ(readFileBytes(scratch / "file"), "new");
    EXPECT_EQ(write(scratch / "pipe"), CompleteFileResult::NotCreated);
    EXPECT_TRUE(fs::is_fifo(scratch / "pipe"));
    EXPECT_EQ(entriesIn(scratch.path()), 5) << "no temporary file";
    EXPECT_EQ(entriesIn("/proc/self/fd"), descriptors);

    const mode_t umask = ::umask(0);
    ::umask(umask);
    struct stat status {};
    ASSERT_EQ(::stat((scratch / "file").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~umask);

    const TinyTmpfs disk(scratch / "disk", "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }
    ASSERT_TRUE(disk.fillUp());
    EXPECT_EQ(write(scratch / "disk/file"), CompleteFileResult::NotWritten);
    EXPECT_EQ(entriesIn(scratch / "disk"), 1) << "only the filler";
    EXPECT_EQ(entriesIn("/proc/self/fd"), descriptors);
}
