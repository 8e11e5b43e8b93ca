// Runs a call with a standard stream redirected into a string, for tests of
// code that writes event lines or messages.
#pragma once

#include <iostream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>

// What the call wrote to the stream; the stream is restored even when the call throws.
template <typename Call>
std::string writtenTo(std::ostream& stream, Call call)
{
    std::ostringstream buffer;
    struct Restore {
        std::ostream& stream;
        std::streambuf* previous;
        ~Restore() { stream.rdbuf(previous); }
    } restore{stream, stream.rdbuf(buffer.rdbuf())};
    call();
    return buffer.str();
}

// The message of the std::runtime_error that the call throws, or "(no exception)";
// what it wrote to standard output meanwhile goes to `written`.
template <typename Call>
std::string failureOf(Call call, std::string& written)
{
    std::string message = "(no exception)";
    written = writtenTo(std::cout, [&] {
        try {
            call();
        } catch (const std::runtime_error& error) {
            message = error.what();
        }
    });
    return message;
}
