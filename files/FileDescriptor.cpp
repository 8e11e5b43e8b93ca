// The checked close of an owned descriptor.
#include "FileDescriptor.h"

int closeDescriptor(int fd)
{
    return ::close(fd);
}
