// The command line of kestrum-series.
#include "SeriesArguments.h"

#include <algorithm>
#include <cctype>

const char* const kSeriesUsage = "usage: kestrum-series check DIR [--json]\n"
                                 "       kestrum-series sheet DIR OUT.png\n"
                                 "       kestrum-series points DIR INDEX OUT.ply\n"
                                 "       kestrum-series timing DIR [--json]\n";

namespace {

std::optional<int32_t> frameIndex(const std::string& text)
{
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    const long long value = std::stoll(text);
    if (value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

} // namespace

std::optional<SeriesArguments> parseSeriesArguments(const std::vector<std::string>& args)
{
    if (args.size() < 2) {
        return std::nullopt;
    }
    SeriesArguments parsed;
    parsed.dir = args[1];
    const bool reports = args[0] == "check" || args[0] == "timing";
    if (reports && (args.size() == 2 || (args.size() == 3 && args[2] == "--json"))) {
        parsed.command = args[0] == "check" ? SeriesArguments::Command::Check : SeriesArguments::Command::Timing;
        parsed.json = args.size() == 3;
        return parsed;
    }
    if (args[0] == "sheet" && args.size() == 3) {
        parsed.command = SeriesArguments::Command::Sheet;
        parsed.output = args[2];
        return parsed;
    }
    if (args[0] == "points" && args.size() == 4) {
        const std::optional<int32_t> index = frameIndex(args[2]);
        if (!index) {
            return std::nullopt;
        }
        parsed.command = SeriesArguments::Command::Points;
        parsed.index = *index;
        parsed.output = args[3];
        return parsed;
    }
    return std::nullopt;
}
