// The lines kestrum-doctor prints for its findings, and its exit code.
#include "FindingLines.h"

#include "JsonEscape.h"

#include <algorithm>

namespace {

const char* levelName(Level level)
{
    switch (level) {
    case Level::Ok:
        return "ok";
    case Level::Note:
        return "note";
    case Level::Problem:
        return "problem";
    }
    return "";
}

const char* topicName(Topic topic)
{
    switch (topic) {
    case Topic::Usb:
        return "usb";
    case Topic::Camera:
        return "camera";
    case Topic::SdkConfig:
        return "sdk-config";
    case Topic::Directory:
        return "directory";
    }
    return "";
}

// A text line stays one line, whatever an SDK's message holds.
std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

} // namespace

std::string findingLine(const Finding& finding, bool json)
{
    if (json) {
        return std::string("{\"level\":\"") + levelName(finding.level) + "\",\"topic\":\"" + topicName(finding.topic) +
               "\",\"message\":\"" + escapeJson(finding.message) + "\",\"fix\":\"" + escapeJson(finding.fix) + "\"}";
    }
    std::string line = std::string(levelName(finding.level)) + ": " + finding.message;
    if (!finding.fix.empty()) {
        line += " -- fix: " + finding.fix;
    }
    return oneLine(line);
}

int doctorExitCode(const Findings& findings)
{
    const bool problem = std::any_of(findings.begin(), findings.end(),
                                     [](const Finding& finding) { return finding.level == Level::Problem; });
    return problem ? 1 : 0;
}
