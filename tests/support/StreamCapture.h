// Runs a call with standard output or standard error captured at its file descriptor,
// for tests of code that writes event lines or messages.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <stdexcept>
#include <string>

// What the call wrote to standard output (std::cout) or standard error (std::cerr), through
// the stream or straight to the descriptor; the descriptor is restored even when the call throws.
template <typename Call>
std::string writtenTo(std::ostream& stream, Call call)
{
    const bool error = &stream == &std::cerr;
    const auto captured = [error] {
        return error ? testing::internal::GetCapturedStderr() : testing::internal::GetCapturedStdout();
    };
    error ? testing::internal::CaptureStderr() : testing::internal::CaptureStdout();
    try {
        call();
    } catch (...) {
        captured();
        throw;
    }
    stream.flush();
    return captured();
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
