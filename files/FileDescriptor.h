// An open file descriptor, closed when its owner goes.
#pragma once

#include <unistd.h>

// close(2) for a descriptor whose close is checked. Defined in a file of its own, so that a test
// binary can put a close that fails in its place at link time.
int closeDescriptor(int fd);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }

    // A delayed write error (a full disk, for instance) may only show here.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return closeDescriptor(fd) == 0;
    }

private:
    int fd_;
};
