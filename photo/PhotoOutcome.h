// How a finished frame loop, on either camera, becomes the path line or a
// message, and the exit code.
#pragma once

#include "MessageLine.h"
#include "PhotoOptions.h"

inline constexpr const char* kStreamNotProducedMessage = "Livebild konnte nicht erzeugt werden.";

// Photo: the path line on out and 0, or the photo message on messages and 6.
// Stream: 0 after a stop request or any part written, else the stream message and 6.
int reportOutcome(const PhotoOptions& options, bool outputWritten, bool stopWasRequested,
                  const LineChannel& out = kStandardOutput, const LineChannel& messages = kStandardError);
