// The lines kestrum-doctor prints for its findings, and its exit code.
#include "FindingLines.h"

#include "JsonEscape.h"
#include "LineWriter.h"
#include "Utf8Repair.h"

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

} // namespace

std::string findingLine(const Finding& finding, bool json)
{
    // Device texts, names and SDK messages may hold any bytes.
    const std::string message = withInvalidUtf8Replaced(finding.message);
    const std::string fix = withInvalidUtf8Replaced(finding.fix);
    if (json) {
        return std::string("{\"level\":\"") + levelName(finding.level) + "\",\"topic\":\"" + topicName(finding.topic) +
               "\",\"message\":\"" + escapeJson(message) + "\",\"fix\":\"" + escapeJson(fix) + "\"}";
    }
    std::string line = std::string(levelName(finding.level)) + ": " + message;
    if (!fix.empty()) {
        line += " -- fix: " + fix;
    }
    return kestrum::withControlsEscaped(line);
}

int doctorExitCode(const Findings& findings)
{
    const bool problem = std::any_of(findings.begin(), findings.end(),
                                     [](const Finding& finding) { return finding.level == Level::Problem; });
    return problem ? 1 : 0;
}
