// A tiny tmpfs mounted over a directory for a test's lifetime, to test
// behaviour on a full file system. Mounting needs root (CI runs as root);
// where it cannot be mounted, skipReason says why and the test skips.
#pragma once

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

class TinyTmpfs {
public:
    TinyTmpfs(const std::filesystem::path& mountPoint, const std::string& size) : mountPoint_(mountPoint)
    {
        if (geteuid() != 0) {
            skipReason_ = "mounting a tiny tmpfs needs root (CI runs these tests as root)";
            return;
        }
        const std::string options = "size=" + size;
        if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            skipReason_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~TinyTmpfs()
    {
        if (mounted_) {
            umount2(mountPoint_.c_str(), MNT_DETACH);
        }
    }
    TinyTmpfs(const TinyTmpfs&) = delete;
    TinyTmpfs& operator=(const TinyTmpfs&) = delete;

    bool mounted() const { return mounted_; }

    // Mounts it again read-only: nothing in it can be created or removed any more.
    bool makeReadOnly() const
    {
        return mount("tmpfs", mountPoint_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    const std::string& skipReason() const { return skipReason_; }

    // Takes every free block but leaveFree bytes, so that the data written next
    // has (almost) nowhere to go. Returns false when the filler could not be made.
    bool fillUp(off_t leaveFree = 0) const
    {
        const std::string filler = (mountPoint_ / "filler").string();
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            return false;
        }
        const std::string block(4096, 'f');
        off_t size = 0;
        for (ssize_t written; (written = ::write(fd, block.data(), block.size())) > 0;) {
            size += written;
        }
        const bool shrunk = ::ftruncate(fd, size > leaveFree ? size - leaveFree : 0) == 0;
        ::close(fd);
        return shrunk;
    }

private:
    std::filesystem::path mountPoint_;
    bool mounted_ = false;
    std::string skipReason_;
};
