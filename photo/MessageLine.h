// Lines for people and the path line: each ends in a line feed and goes out whole at once.
#pragma once

#include <exception>
#include <ostream>
#include <string>
#include <unistd.h>

// Where a line goes: a file descriptor (the program's standard output or standard
// error), or a stream (the unit tests pass their own).
class LineChannel {
public:
    constexpr explicit LineChannel(int fd) : fd_(fd) {}
    LineChannel(std::ostream& stream) : stream_(&stream) {}

    // False when the line did not go out whole.
    bool writeLine(const std::string& text) const;

private:
    int fd_ = -1;
    std::ostream* stream_ = nullptr;
};

inline constexpr LineChannel kStandardOutput{STDOUT_FILENO};
inline constexpr LineChannel kStandardError{STDERR_FILENO};

inline bool writeLine(const LineChannel& channel, const std::string& text)
{
    return channel.writeLine(text);
}

// An exception's text as one line: image library errors end in a line feed of
// their own, which would otherwise leave an empty line after the message.
std::string singleLineMessage(const std::exception& error);
