// Output lines of a series check.
#include "CheckReport.h"

#include "LineWriter.h"

#include <nlohmann/json.hpp>

namespace {

std::string plural(size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// File names need not be UTF-8; bytes that are not are replaced rather than failing the output.
std::string jsonLine(const nlohmann::ordered_json& object)
{
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

} // namespace

std::string checkReportText(const CheckReport& report)
{
    std::string text;
    // A file name, and a camera's name in a finding, may hold any byte but "/" and NUL.
    for (const auto& [type, findings] : {std::pair{"fault: ", &report.faults}, std::pair{"leftover: ", &report.leftovers},
                                         std::pair{"note: ", &report.notes}}) {
        for (const Finding& finding : *findings) {
            text += kestrum::withControlsEscaped(type + finding.file + ": " + finding.what) + "\n";
        }
    }
    text += std::string("summary: ") + (report.whole() ? "whole" : "not whole") + ", " +
            plural(static_cast<size_t>(report.frames), "frame") + ", " + plural(report.faults.size(), "fault") +
            ", " + plural(report.leftovers.size(), "leftover") + "\n";
    return text;
}

std::string checkReportJson(const CheckReport& report)
{
    std::string text;
    for (const auto& [type, findings] : {std::pair{"fault", &report.faults}, std::pair{"leftover", &report.leftovers},
                                         std::pair{"note", &report.notes}}) {
        for (const Finding& finding : *findings) {
            text += jsonLine({{"type", type}, {"file", finding.file}, {"what", finding.what}});
        }
    }
    text += jsonLine({{"type", "summary"},
                      {"whole", report.whole()},
                      {"frames", report.frames},
                      {"faults", report.faults.size()},
                      {"leftovers", report.leftovers.size()}});
    return text;
}
