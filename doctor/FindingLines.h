// The lines kestrum-doctor prints for its findings, and its exit code.
#pragma once

#include "Finding.h"

#include <string>

// "problem: MESSAGE -- fix: FIX" (the fix part only where there is one), or with json
// {"level":"problem","topic":"usb","message":"MESSAGE","fix":"FIX"}; without a line feed. Bytes that
// are not UTF-8 become U+FFFD, and a text line shows each control character as \xHH, so that neither
// line breaks nor steers a terminal.
std::string findingLine(const Finding& finding, bool json);

// 1 when any finding is a problem, else 0.
int doctorExitCode(const Findings& findings);
