// Runs a built program as a child process, as the calling program would: with
// its own environment, capturing standard output and standard error.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

struct ChildResult {
    int exitCode = -1;      // -1 when the child ended by a signal
    int termSignal = 0;     // the signal that ended it, else 0
    long peakMemoryKb = 0;  // the most memory it held at once (resident, as getrusage counts it)
    std::string out;
    std::string err;
};

enum class ChildStdout {
    Read,            // a pipe the parent reads
    Closed,          // descriptor 1 closed, as after ">&-"
    Full,            // /dev/full: every write fails
    UnreadOnePage,   // a one-page pipe the parent never reads: a stalled reader
    ReaderGone,      // a pipe whose reading end is closed before the child starts
};

struct ChildLaunch {
    std::string program;
    std::vector<std::string> args;
    // Set on top of the parent's environment, from which every KESTRUM_SIM_* variable is removed.
    std::map<std::string, std::string> env;
    std::string workingDir;   // empty: the parent's
    ChildStdout stdoutSetup = ChildStdout::Read;
    std::string user{};   // empty: the parent's; else the child runs as this user (the parent must be root)
};

class ChildProcess {
public:
    explicit ChildProcess(const ChildLaunch& launch);
    ~ChildProcess();   // kills and reaps a child that is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads until standard output holds minBytes, is closed, or the limit passes; returns what it holds.
    const std::string& readStdoutAtLeast(size_t minBytes, std::chrono::milliseconds limit);
    void sendSignal(int signalNumber);
    void closeStdout();   // the reader goes away
    // Waits until the child has written into its unread pipe; false after the limit.
    bool waitUntilStdoutWritten(std::chrono::milliseconds limit);
    // Reads the rest of the output and waits for the end; kills the child after the limit.
    ChildResult wait(std::chrono::milliseconds limit = std::chrono::seconds(60));

private:
    bool pump(std::chrono::steady_clock::time_point deadline);
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    bool stdoutUnread_ = false;
    ChildResult result_;
};

// Starts the program and waits for it to end.
ChildResult runChild(const ChildLaunch& launch, std::chrono::milliseconds limit = std::chrono::seconds(60));

std::string captureProgramPath();
std::string photoProgramPath();
std::string doctorProgramPath();

// A user that may not open what only root may, and who can start the program: the caller itself
// when it is not root, else "nobody" when that user can reach the program; empty when there is none.
std::string unprivilegedUser(const std::string& program);

// A fresh, empty directory below the system's temporary directory, removed on destruction.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFileBytes(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);
