// Standard output into /dev/null for a scope: the frame writers' "frameSaved" lines are part
// of the cost but not of the report. They go straight to the descriptor, so it is the
// descriptor that is redirected.
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

class DiscardedStandardOutput {
public:
    DiscardedStandardOutput()
    {
        std::fflush(stdout);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~DiscardedStandardOutput()
    {
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    DiscardedStandardOutput(const DiscardedStandardOutput&) = delete;
    DiscardedStandardOutput& operator=(const DiscardedStandardOutput&) = delete;

private:
    int saved_ = ::dup(STDOUT_FILENO);
};
