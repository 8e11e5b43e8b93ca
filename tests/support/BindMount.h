// A file bind-mounted over another for a test's lifetime, so that no file can be renamed onto the
// name it covers (EBUSY). Needs root, as CI has; where it cannot mount, skipReason says why.
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
        if (::geteuid() != 0 || ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            skipReason_ = std::string("cannot bind-mount (CI runs these tests as root): ") + std::strerror(errno);
        }
    }
    ~BindMount()
    {
        if (mounted()) ::umount2(target_.c_str(), MNT_DETACH);
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    bool mounted() const { return skipReason_.empty(); }
    const std::string& skipReason() const { return skipReason_; }

private:
    std::string target_;
    std::string skipReason_;
};
