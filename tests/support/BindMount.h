// A file bind-mounted over another for a test's lifetime: the name it covers cannot be
// renamed onto (EBUSY), as no test can otherwise make a rename in a writable folder fail.
// Mounting needs root (CI runs as root); where it cannot mount, skipReason says why.
#pragma once

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

class BindMount {
public:
    BindMount(const std::string& source, const std::string& target) : target_(target)
    {
        if (::geteuid() != 0) {
            skipReason_ = "bind mounts need root (CI runs these tests as root)";
        } else if (::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            skipReason_ = std::string("cannot bind-mount here: ") + std::strerror(errno);
        }
    }
    ~BindMount()
    {
        if (mounted()) {
            ::umount2(target_.c_str(), MNT_DETACH);
        }
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    bool mounted() const { return skipReason_.empty(); }
    const std::string& skipReason() const { return skipReason_; }

private:
    std::string target_;
    std::string skipReason_;
};
