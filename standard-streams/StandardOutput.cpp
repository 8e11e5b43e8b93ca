// The programs' standard output: a private descriptor, written without blocking past a stop.
#include "StandardOutput.h"

#include "StopSignal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kestrum {
namespace {

int programOutput = STDOUT_FILENO;

constexpr int kWaitSliceMs = 100;
constexpr std::chrono::milliseconds kGiveUpAfterStop{500};

bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

} // namespace

void takeOverStandardStreams()
{
    const bool outputWasOpen = isOpen(STDOUT_FILENO);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        // In ascending order every lower descriptor is open, so open() returns fd itself.
        if (!isOpen(fd)) {
            ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        }
    }
    programOutput = outputWasOpen ? ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1) : -1;
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    std::signal(SIGPIPE, SIG_IGN);
}

bool writeStandardOutput(std::string_view bytes)
{
    using Clock = std::chrono::steady_clock;
    if (programOutput < 0) {
        return false;
    }
    Clock::time_point lastProgress = Clock::now();
    while (!bytes.empty()) {
        if (stopRequested != 0 && Clock::now() - lastProgress >= kGiveUpAfterStop) {
            return false;
        }
        pollfd output = {programOutput, POLLOUT, 0};
        const int ready = ::poll(&output, 1, kWaitSliceMs);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        // A pipe that polls writable takes PIPE_BUF bytes without blocking.
        const ssize_t written = ::write(programOutput, bytes.data(), std::min(bytes.size(), std::size_t{PIPE_BUF}));
        if (written < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        lastProgress = Clock::now();
    }
    return true;
}

} // namespace kestrum
