// What the kestrum-photo process tests read back: the stream's parts, the program's own lines, its stop handlers.
#pragma once

#include "ChildProcess.h"

#include <opencv2/core.hpp>

#include <chrono>
#include <string>
#include <vector>

struct ParsedStream {
    std::vector<std::string> jpegs;  // the image of every complete part, in order
    std::string trailing;            // bytes after the last complete part (a part still being written)
    std::string fault;               // what is wrong with the stream; empty when nothing is
};

// Reads the stream strictly: nothing but parts, each with the exact header form.
ParsedStream parseStream(const std::string& bytes);

cv::Mat decodeJpeg(const std::string& jpeg);

// Reads standard output until it holds `count` complete parts or the limit passes.
ParsedStream readParts(ChildProcess& child, size_t count, std::chrono::milliseconds limit);

// The lines of standard error that the program wrote itself, without the libraries'
// log lines, which all start with "[" ("[Info] ...", "[DEBUG:0@0.1] ...", "[12/06 ...][error]...").
std::vector<std::string> programLines(const std::string& err);

// True when each text occurs in `text` after the one before it.
bool occursInOrder(const std::string& text, const std::vector<std::string>& pieces);

enum class HandlerState { Installed, NotObservable, NotInstalled };

// Waits until the only child of this process has exec'd the program and
// catches SIGINT and SIGTERM, so that a signal sent afterwards cannot end it
// by the default action. Not observable when the programs run under an emulator.
HandlerState waitForStopHandlers(const std::string& program, std::chrono::milliseconds limit);
