// writeCompleteFile beyond what the program runs show: what it replaces and what it never does,
// the temporary name, a close that fails, the new file's mode, and that neither a descriptor
// nor a temporary file outlives a call, however it ends.
#include "CompleteFile.h"
#include "FileDescriptor.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <regex>
#include <sys/inotify.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool closeFails = false;

CompleteFileResult writeText(const std::string& path, const std::string& bytes = "complete")
{
    return writeCompleteFile(path, bytes.data(), bytes.size());
}

} // namespace

// Takes the place of the files library's close in this test program: a close that reports a delayed
// write error (as NFS may) cannot be had from a local file system.
int closeDescriptor(int fd)
{
    const int result = ::close(fd);
    if (closeFails) {
        errno = EIO;
        return -1;
    }
    return result;
}

TEST(CompleteFile, ReplacesRegularFilesAndWhatLinksLeadToButNeverAnythingElse)
{
    ScratchDir scratch;
    const size_t descriptors = filesIn("/proc/self/fd");

    EXPECT_EQ(writeText(scratch / "file"), CompleteFileResult::Written);
    EXPECT_EQ(writeText(scratch / "missing/file"), CompleteFileResult::NotCreated);
    // A link's target is replaced and the link stays; a pipe is never replaced, nor followed to.
    fs::create_symlink("file", scratch / "link");
    ASSERT_EQ(::mkfifo((scratch / "pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", scratch / "link-to-pipe");
    EXPECT_EQ(writeText(scratch / "link", "new"), CompleteFileResult::Written);
    EXPECT_TRUE(fs::is_symlink(scratch / "link"));
    EXPECT_EQ(readFileBytes(scratch / "file"), "new");
    EXPECT_EQ(writeText(scratch / "link-to-pipe"), CompleteFileResult::NotCreated);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(scratch / "pipe")));
    EXPECT_TRUE(fs::is_symlink(scratch / "link-to-pipe"));
    EXPECT_EQ(filesIn(scratch.path()), 4u) << "no temporary file";
    EXPECT_EQ(filesIn("/proc/self/fd"), descriptors);

    const mode_t umask = ::umask(0);
    ::umask(umask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(scratch / "file").permissions()), 0666 & ~umask);
}

// Seen by the directory's watch: created as ".<name>.XXXXXX" beside the final name, then renamed onto it.
TEST(CompleteFile, IsWrittenUnderATemporaryDotNameInTheSameFolder)
{
    ScratchDir scratch;
    const FileDescriptor watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    ASSERT_GE(::inotify_add_watch(watch.get(), scratch.path().c_str(), IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO), 0);

    ASSERT_EQ(writeText(scratch / "depth-0007.png"), CompleteFileResult::Written);

    alignas(inotify_event) char buffer[4096];
    const ssize_t size = ::read(watch.get(), buffer, sizeof buffer);
    std::vector<std::string> events;
    for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        events.push_back(std::to_string(event->mask) + " " + event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    ASSERT_EQ(events.size(), 3u) << ::testing::PrintToString(events);
    const std::regex temporary(std::to_string(IN_CREATE) + " \\.depth-0007\\.png\\.[A-Za-z0-9]{6}");
    EXPECT_TRUE(std::regex_match(events[0], temporary)) << events[0];
    EXPECT_EQ(events[1], std::to_string(IN_MOVED_FROM) + events[0].substr(events[0].find(' ')));
    EXPECT_EQ(events[2], std::to_string(IN_MOVED_TO) + " depth-0007.png");
}

// A full disk is met by the programs' runs.
TEST(CompleteFile, ACloseThatFailsMeansNotWrittenAndLeavesNothing)
{
    ScratchDir scratch;
    writeText(scratch / "earlier", "earlier");
    const size_t descriptors = filesIn("/proc/self/fd");

    closeFails = true;
    const CompleteFileResult replaced = writeText(scratch / "earlier");
    closeFails = false;
    EXPECT_EQ(replaced, CompleteFileResult::NotWritten);
    EXPECT_EQ(readFileBytes(scratch / "earlier"), "earlier");
    EXPECT_EQ(filesIn(scratch.path()), 1u) << "no temporary file";
    EXPECT_EQ(filesIn("/proc/self/fd"), descriptors);
}
