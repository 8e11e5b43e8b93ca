// The programs' standard output, each case in a child process writing into a one-page pipe that
// the test reads as the station would: libraries never reach it, a stalled reader is waited for
// until a stop, and after a stop only a reader that stops taking bytes is given up on.
#include "FileDescriptor.h"
#include "StandardOutput.h"
#include "StopSignal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int kPage = 4096;
const std::string kPart(40 * kPage, 'p');

// A child that runs body with the pipe's writing end as standard output and exits 0 when body returns true.
class Writer {
public:
    explicit Writer(const std::function<bool()>& body)
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0 || ::fcntl(ends[1], F_SETPIPE_SZ, kPage) < 0) throw std::runtime_error("no pipe");
        const FileDescriptor writeEnd(ends[1]);
        readEnd_ = ends[0];
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(ends[1], STDOUT_FILENO);
            ::_exit(body() ? 0 : 1);
        }
    }
    ~Writer()
    {
        if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
        ::close(readEnd_);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Signals the child once the pipe is full, that is, once it waits for the reader.
    void signalOnceStalled(int number) const
    {
        for (int held = 0; ::ioctl(readEnd_, FIONREAD, &held) == 0 && held < kPage;) std::this_thread::sleep_for(5ms);
        ::kill(pid_, number);
    }

    // Reads until the child closes the pipe, pausing after each read.
    std::string read(std::chrono::milliseconds pause = 0ms) const
    {
        std::string bytes;
        char buffer[kPage];
        pollfd readable{readEnd_, POLLIN, 0};
        for (ssize_t count; ::poll(&readable, 1, 30000) == 1 && (count = ::read(readEnd_, buffer, kPage)) > 0;) {
            bytes.append(buffer, static_cast<size_t>(count));
            std::this_thread::sleep_for(pause);
        }
        return bytes;
    }

    // The child's exit code; -1 when it still runs after a limit that only a blocked child reaches.
    int exitCode()
    {
        int status = 0;
        for (int waited = 0; ::waitpid(pid_, &status, WNOHANG) == 0; ++waited) {
            if (waited == 3000) return -1;
            std::this_thread::sleep_for(10ms);
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int readEnd_ = -1;
};

bool writePartAfterAStop()
{
    stopRequested = 1;
    return kestrum::writeStandardOutput(kPart);
}

} // namespace

// Standard input and standard error closed at start: what a library prints to descriptor 1 still goes elsewhere.
TEST(StandardOutput, CarriesOnlyTheProgramsOwnBytesEvenWithTheOtherStreamsClosed)
{
    Writer writer([] {
        ::close(STDIN_FILENO);
        ::close(STDERR_FILENO);
        kestrum::takeOverStandardStreams();
        const bool libraryWrote = ::write(STDOUT_FILENO, "[ INFO] library\n", 16) == 16;
        return kestrum::writeStandardOutput("own line\n") && libraryWrote;
    });

    EXPECT_EQ(writer.read(), "own line\n");
    EXPECT_EQ(writer.exitCode(), 0);
}

// No stop: a reader that pauses well past half a second is waited for, and signals that
// interrupt the wait (here ones that are no stop) change nothing.
TEST(StandardOutput, WithoutAStopAStalledReaderIsWaitedForWhateverInterruptsTheWait)
{
    Writer writer([] {
        struct sigaction ignore = {};
        ignore.sa_handler = [](int) {};
        ::sigaction(SIGUSR1, &ignore, nullptr);
        return kestrum::writeStandardOutput(kPart);
    });
    for (int interruption = 0; interruption < 5; ++interruption) {
        writer.signalOnceStalled(SIGUSR1);
        std::this_thread::sleep_for(200ms);
    }

    EXPECT_EQ(writer.read(), kPart);
    EXPECT_EQ(writer.exitCode(), 0);
}

// After a stop a reader that takes a page every few milliseconds gets the whole part, though that
// takes far longer than half a second; one that takes nothing more is given up on, even when the pipe
// has room for a little of the part, which a write of the whole rest would block on.
TEST(StandardOutput, AfterAStopOnlyAReaderThatStopsTakingBytesIsGivenUpOn)
{
    Writer steady(writePartAfterAStop);
    EXPECT_EQ(steady.read(25ms), kPart);
    EXPECT_EQ(steady.exitCode(), 0);

    Writer stalled(writePartAfterAStop);
    EXPECT_EQ(stalled.exitCode(), 1) << "-1: blocked in a write";
    EXPECT_EQ(stalled.read(), std::string(kPage, 'p'));
}
