// Lines for people and the path line: each ends in a line feed and goes out whole at once.
#pragma once

#include <ostream>
#include <string>

// Where a line goes: the program's standard output or standard error, or a
// stream (the unit tests pass their own).
class LineChannel {
public:
    enum class Target { StandardOutput, StandardError };
    constexpr explicit LineChannel(Target target) : target_(target) {}
    LineChannel(std::ostream& stream) : stream_(&stream) {}

    // False when the line did not go out whole.
    bool writeLine(const std::string& text) const;

private:
    Target target_ = Target::StandardError;
    std::ostream* stream_ = nullptr;
};

inline constexpr LineChannel kStandardOutput{LineChannel::Target::StandardOutput};
inline constexpr LineChannel kStandardError{LineChannel::Target::StandardError};

inline bool writeLine(const LineChannel& channel, const std::string& text)
{
    return channel.writeLine(text);
}
