// What the kestrum-photo process tests read back.
#include "PhotoStream.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// A field of /proc/<pid>/status, or "" when the process or the field is not there.
std::string statusField(const std::string& pid, const std::string& field)
{
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":\t", 0) == 0) return line.substr(field.size() + 2);
    }
    return "";
}

// The pid of this process's child, or "" while there is none.
std::string onlyChild()
{
    const std::string self = std::to_string(getpid());
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename();
        if (statusField(pid, "PPid") == self) return pid;
    }
    return "";
}

} // namespace

ParsedStream parseStream(const std::string& bytes)
{
    static const std::string start = "--kestrumframe\r\nContent-Type: image/jpeg\r\nContent-Length: ";
    ParsedStream parsed;
    size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.compare(at, start.size(), start, 0, bytes.size() - at) != 0) {
            parsed.fault = "not a part at byte " + std::to_string(at) + ": " + bytes.substr(at, 60);
            return parsed;
        }
        const size_t headerEnd = bytes.find("\r\n\r\n", at);
        if (bytes.size() - at <= start.size() || headerEnd == std::string::npos) break;
        const std::string digits = bytes.substr(at + start.size(), headerEnd - at - start.size());
        if (digits.empty() || digits[0] == '0' || digits.find_first_not_of("0123456789") != std::string::npos) {
            parsed.fault = "bad length \"" + digits + "\" at byte " + std::to_string(at);
            return parsed;
        }
        const size_t length = std::stoul(digits);
        const size_t imageAt = headerEnd + 4;
        if (bytes.size() < imageAt + length + 2) break;
        if (bytes.compare(imageAt + length, 2, "\r\n") != 0) {
            parsed.fault = "no CR LF after the image of the part at byte " + std::to_string(at);
            return parsed;
        }
        parsed.jpegs.push_back(bytes.substr(imageAt, length));
        at = imageAt + length + 2;
    }
    parsed.trailing = bytes.substr(at);
    return parsed;
}

cv::Mat decodeJpeg(const std::string& jpeg)
{
    return cv::imdecode(std::vector<uchar>(jpeg.begin(), jpeg.end()), cv::IMREAD_COLOR);
}

ParsedStream readParts(ChildProcess& child, size_t count, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    std::string out;
    for (;;) {
        const ParsedStream parsed = parseStream(out);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (parsed.jpegs.size() >= count || !parsed.fault.empty() || left.count() <= 0) return parsed;
        const size_t before = out.size();
        out = child.readStdoutAtLeast(before + 1, left);
        if (out.size() == before) return parsed;  // closed, or the limit passed
    }
}

std::vector<std::string> programLines(const std::string& err)
{
    std::vector<std::string> lines = splitLines(err);
    lines.erase(std::remove_if(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind('[', 0) == 0; }),
                lines.end());
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

HandlerState waitForStopHandlers(const std::string& programPath, std::chrono::milliseconds limit)
{
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path program = fs::canonical(programPath);
    const unsigned long long stopSignals = (1ull << (SIGINT - 1)) | (1ull << (SIGTERM - 1));
    for (const auto deadline = Clock::now() + limit; Clock::now() < deadline;
         std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        const std::string child = onlyChild();
        std::error_code error;
        const fs::path image = fs::read_symlink("/proc/" + child + "/exe", error);
        if (child.empty() || error || image == self) continue;  // not yet exec'd
        if (image != program) return HandlerState::NotObservable;  // an emulator runs it
        const std::string caught = statusField(child, "SigCgt");
        if (!caught.empty() && (std::stoull(caught, nullptr, 16) & stopSignals) == stopSignals) {
            return HandlerState::Installed;
        }
    }
    return HandlerState::NotInstalled;
}
