// Runs a built program as a child process and captures its output.
#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The null-terminated array that execve takes.
std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result(strings.size() + 1, nullptr);
    std::transform(strings.begin(), strings.end(), result.begin(), [](std::string& s) { return s.data(); });
    return result;
}

} // namespace

ChildProcess::ChildProcess(const ChildLaunch& launch)
{
    // Under a cross build the tests run through an emulator, and so must the
    // programs they start (for example "qemu-aarch64-static -L <sysroot>").
    std::vector<std::string> argv;
    std::istringstream emulator(KESTRUM_TEST_EMULATOR);
    for (std::string word; emulator >> word;) argv.push_back(word);
    argv.push_back(launch.program);
    argv.insert(argv.end(), launch.args.begin(), launch.args.end());
    std::vector<std::string> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string name = std::string(*entry).substr(0, std::strcspn(*entry, "="));
        if (name.rfind("KESTRUM_SIM_", 0) != 0 && launch.env.count(name) == 0) envp.emplace_back(*entry);
    }
    for (const auto& [name, value] : launch.env) envp.push_back(name + "=" + value);
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envPointers = pointers(envp);
    const passwd* user = launch.user.empty() ? nullptr : getpwnam(launch.user.c_str());
    if (!launch.user.empty() && user == nullptr) {
        throw std::runtime_error("no user " + launch.user);
    }
    if (user != nullptr && user->pw_uid == geteuid()) {
        user = nullptr;
    }

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    stdoutUnread_ = launch.stdoutSetup == ChildStdout::UnreadOnePage;
    if (stdoutUnread_ && fcntl(outPipe[1], F_SETPIPE_SZ, 4096) < 0) {
        throw std::runtime_error("cannot shrink the pipe to one page");
    }
    if (launch.stdoutSetup == ChildStdout::ReaderGone) {
        close(outPipe[0]);
        outPipe[0] = -1;
    }
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        dup2(errPipe[1], STDERR_FILENO);
        dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
        // Last, so that no descriptor opened here can take the place of a closed standard output.
        if (launch.stdoutSetup == ChildStdout::Closed) {
            close(STDOUT_FILENO);
        } else {
            dup2(launch.stdoutSetup == ChildStdout::Full ? open("/dev/full", O_WRONLY | O_CLOEXEC) : outPipe[1],
                 STDOUT_FILENO);
        }
        signal(SIGPIPE, SIG_DFL);
        if (user != nullptr && (setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0)) {
            _exit(125);
        }
        if (!launch.workingDir.empty() && chdir(launch.workingDir.c_str()) != 0) {
            _exit(126);
        }
        execve(argvPointers[0], argvPointers.data(), envPointers.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    if (errFd_ >= 0) close(errFd_);
}

// Reads what comes within 100 ms, at most until the deadline; false once the
// deadline has passed or every pipe it reads is closed.
bool ChildProcess::pump(std::chrono::steady_clock::time_point deadline)
{
    // Rounded up, so that "no time left" means the deadline has passed, which is when wait kills.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd fds[2];
    int count = 0;
    if (outFd_ >= 0 && !stdoutUnread_) fds[count++] = {outFd_, POLLIN, 0};
    if (errFd_ >= 0) fds[count++] = {errFd_, POLLIN, 0};
    if (count == 0 || left <= 0) return false;
    poll(fds, count, static_cast<int>(std::min<long long>(left, 100)));
    for (int i = 0; i < count; ++i) {
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        char buffer[65536];
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        const bool isOut = fds[i].fd == outFd_;
        if (n > 0) {
            (isOut ? result_.out : result_.err).append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            close(fds[i].fd);
            (isOut ? outFd_ : errFd_) = -1;
        }
    }
    return true;
}

const std::string& ChildProcess::readStdoutAtLeast(size_t minBytes, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (result_.out.size() < minBytes && outFd_ >= 0 && pump(deadline)) {}
    return result_.out;
}

void ChildProcess::sendSignal(int signalNumber)
{
    if (pid_ > 0) kill(pid_, signalNumber);
}

void ChildProcess::closeStdout()
{
    close(outFd_);
    outFd_ = -1;
}

bool ChildProcess::waitUntilStdoutWritten(std::chrono::milliseconds limit)
{
    pollfd written = {outFd_, POLLIN, 0};
    return poll(&written, 1, static_cast<int>(limit.count())) == 1;
}

ChildResult ChildProcess::wait(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (((outFd_ >= 0 && !stdoutUnread_) || errFd_ >= 0) && pump(deadline)) {}
    if (Clock::now() >= deadline) kill(pid_, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid_, &status, 0, &usage);
    result_.peakMemoryKb = usage.ru_maxrss;
    pid_ = -1;
    if (WIFEXITED(status)) {
        result_.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result_.termSignal = WTERMSIG(status);
    }
    return result_;
}

ChildResult runChild(const ChildLaunch& launch, std::chrono::milliseconds limit)
{
    ChildProcess child(launch);
    return child.wait(limit);
}

std::string captureProgramPath() { return KESTRUM_CAPTURE_PROGRAM; }
std::string photoProgramPath() { return KESTRUM_PHOTO_PROGRAM; }
std::string doctorProgramPath() { return KESTRUM_DOCTOR_PROGRAM; }

std::string unprivilegedUser(const std::string& program)
{
    if (geteuid() != 0) {
        const passwd* self = getpwuid(geteuid());
        return self != nullptr ? self->pw_name : "";
    }
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) {
        return "";
    }
    // The program and every folder above it must be open to that user.
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0 && access(program.c_str(), X_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "nobody" : "";
}

ScratchDir::ScratchDir() : path_((std::filesystem::temp_directory_path() / "kestrum-test-XXXXXX").string())
{
    if (mkdtemp(path_.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}
