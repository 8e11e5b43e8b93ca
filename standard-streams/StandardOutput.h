// The programs' standard output: a private descriptor that only the programs' own
// lines and stream parts reach, written without ever blocking past a stop request.
#pragma once

#include <string_view>

namespace kestrum {

inline constexpr const char* kStandardOutputNotWrittenMessage = "Standardausgabe konnte nicht geschrieben werden.";

// Called first in main. Opens /dev/null on each of the descriptors 0, 1 and 2 that
// is closed, so no file the program opens later lands on one of them; keeps a private
// duplicate of standard output (none when it was closed, so that every write to it
// fails); points descriptor 1 at standard error, so whatever a library prints lands
// there; and ignores SIGPIPE, so a reader that goes away makes a write fail instead
// of ending the program.
void takeOverStandardStreams();

// Writes all the bytes to the program's standard output (descriptor 1 itself until
// takeOverStandardStreams has run). Waits for the descriptor in short slices, so a
// stop request is seen: after it, a write that makes no progress for half a second
// is given up. False when not every byte was written.
bool writeStandardOutput(std::string_view bytes);

} // namespace kestrum
