// Lines for people and the path line: each ends in a line feed and is flushed at once.
#pragma once

#include <exception>
#include <ostream>
#include <string>

void writeLine(std::ostream& out, const std::string& text);

// An exception's text as one line: image library errors end in a line feed of
// their own, which would otherwise leave an empty line after the message.
std::string singleLineMessage(const std::exception& error);
