// Writes one whole line to a file descriptor: the programs' own lines (event lines,
// messages, the path line) and the camera libraries' log lines all go out this way.
#pragma once

#include <string>
#include <string_view>

namespace kestrum {

// Writes text and a line feed in one write call, so lines written from several threads
// never interleave; an interrupted call is repeated and a partial write continued.
// False when the descriptor took less than the whole line.
bool writeLine(int fd, std::string_view text);

// The text as one line: line feeds and carriage returns at its end dropped, those
// inside turned into blanks (a library's message may span lines or end in one).
std::string oneLine(std::string_view text);

// The text with every control character (the bytes 0x00 to 0x1F and 0x7F) written as \xHH, so that a
// name shows on one line, whatever it holds, and cannot steer a terminal; all other bytes unchanged.
std::string withControlsEscaped(std::string_view text);

} // namespace kestrum
