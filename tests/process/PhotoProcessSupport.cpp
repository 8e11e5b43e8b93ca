// What the kestrum-photo process tests read back.
#include "PhotoProcessSupport.h"

#include <opencv2/imgcodecs.hpp>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kPartStart = "--kestrumframe\r\nContent-Type: image/jpeg\r\nContent-Length: ";

bool isPrefixOf(const std::string& partial, const std::string& whole)
{
    return whole.compare(0, partial.size(), partial) == 0;
}

// The pid of this process's child, or -1 while there is none.
pid_t onlyChild()
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream status(entry.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("PPid:", 0) == 0) {
                if (std::stol(line.substr(5)) == getpid()) return static_cast<pid_t>(std::stol(name));
                break;
            }
        }
    }
    return -1;
}

bool catchesStopSignals(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
            const unsigned long long wanted = (1ull << (SIGINT - 1)) | (1ull << (SIGTERM - 1));
            return (caught & wanted) == wanted;
        }
    }
    return false;
}

} // namespace

ParsedStream parseStream(const std::string& bytes)
{
    ParsedStream parsed;
    size_t at = 0;
    while (at < bytes.size()) {
        const std::string rest = bytes.substr(at, kPartStart.size());
        if (rest.size() < kPartStart.size()) {
            if (!isPrefixOf(rest, kPartStart)) parsed.fault = "not a part at byte " + std::to_string(at);
            break;
        }
        if (rest != kPartStart) {
            parsed.fault = "not a part at byte " + std::to_string(at) + ": " + bytes.substr(at, 60);
            break;
        }
        const size_t digitsAt = at + kPartStart.size();
        const size_t headerEnd = bytes.find("\r\n\r\n", digitsAt);
        if (headerEnd == std::string::npos) break;
        const std::string digits = bytes.substr(digitsAt, headerEnd - digitsAt);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || digits[0] == '0') {
            parsed.fault = "bad length \"" + digits + "\" at byte " + std::to_string(at);
            break;
        }
        const size_t imageAt = headerEnd + 4;
        const size_t length = std::stoul(digits);
        if (bytes.size() < imageAt + length + 2) break;
        if (bytes.compare(imageAt + length, 2, "\r\n") != 0) {
            parsed.fault = "part at byte " + std::to_string(at) + " does not end with CR LF after its length";
            break;
        }
        parsed.jpegs.push_back(bytes.substr(imageAt, length));
        at = imageAt + length + 2;
    }
    if (parsed.fault.empty()) parsed.trailing = bytes.substr(at);
    return parsed;
}

cv::Mat decodeJpeg(const std::string& jpeg)
{
    return cv::imdecode(std::vector<uchar>(jpeg.begin(), jpeg.end()), cv::IMREAD_COLOR);
}

ParsedStream readParts(ChildProcess& child, size_t count, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string out;
    for (;;) {
        ParsedStream parsed = parseStream(out);
        if (parsed.jpegs.size() >= count || !parsed.fault.empty()) return parsed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const size_t before = out.size();
        if (left.count() <= 0) return parsed;
        out = child.readStdoutAtLeast(before + 1, left);
        if (out.size() == before) return parseStream(out);  // the child closed its output
    }
}

std::vector<std::string> programLines(const std::string& err)
{
    std::vector<std::string> lines;
    for (const std::string& line : splitLines(err)) {
        const bool fromLibrary = line.rfind("[Info] ", 0) == 0 || line.rfind("[Error] ", 0) == 0 ||
                                 line.rfind("[Warning] ", 0) == 0 || line.rfind("[Debug] ", 0) == 0;
        if (!fromLibrary) lines.push_back(line);
    }
    return lines;
}

bool occursInOrder(const std::string& text, const std::vector<std::string>& pieces)
{
    size_t at = 0;
    for (const std::string& piece : pieces) {
        at = text.find(piece, at);
        if (at == std::string::npos) return false;
        at += piece.size();
    }
    return true;
}

HandlerState waitForStopHandlers(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path program = fs::canonical(photoProgramPath());
    while (std::chrono::steady_clock::now() < deadline) {
        const pid_t child = onlyChild();
        std::error_code error;
        const fs::path image = child > 0 ? fs::read_symlink("/proc/" + std::to_string(child) + "/exe", error) : fs::path();
        if (!error && !image.empty() && image != self) {
            if (image != program) return HandlerState::NotObservable;  // an emulator runs it
            if (catchesStopSignals(child)) return HandlerState::Installed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return HandlerState::NotInstalled;
}
