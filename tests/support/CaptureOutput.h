// Reading kestrum-capture's output as the calling program does.
#pragma once

#include "ChildProcess.h"
#include "Json.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// Standard output parsed line by line; a line that is not JSON, or output
// that does not end with a line feed, fails the calling test.
std::vector<JsonValue> eventLines(const ChildResult& result);

// Runs kestrum-capture with these arguments; an empty setting leaves that camera unattached.
ChildResult runCapture(const std::vector<std::string>& args, const std::string& orbbecSetting,
                       const std::string& kinectSetting, const std::string& workingDir = "");

// The "frameSaved" line a frame of this index must have, with the timestamp the run reported.
std::string frameSavedLine(const std::string& outputDir, int index, const std::string& timestampMs);

// The quality (1 to 100) whose quantisation tables the JPEG carries, or -1 when none has them.
int jpegQuality(const std::string& jpeg);

// Files below the output directory that a reader must never find: temporary
// files (names starting with ".") and frame files that are not complete (a
// JPEG or PNG without its end marker, a raw depth file or colour-to-depth map
// of another size than rawDepthBytes or 868,352 bytes).
std::vector<std::string> incompleteOrTemporaryFiles(const std::filesystem::path& outputDir,
                                                    std::size_t rawDepthBytes);

// Gives the member of capture.json's text this value, written as it is.
void replaceMember(std::string& json, const std::string& name, const std::string& value);

// The fields of each frame's line of dir/timing.csv, the header left out; an absent value is empty.
std::vector<std::vector<std::string>> timingRows(const std::string& dir);

std::string lastLine(const std::string& text);
std::size_t filesIn(const std::filesystem::path& directory);
long long integer(const JsonValue& value);
