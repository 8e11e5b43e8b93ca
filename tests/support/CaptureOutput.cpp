// Reading kestrum-capture's output as the calling program does.
#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <iterator>

std::vector<JsonValue> eventLines(const ChildResult& result)
{
    std::vector<JsonValue> events;
    if (!result.out.empty()) {
        EXPECT_EQ(result.out.back(), '\n');
    }
    for (const std::string& line : splitLines(result.out)) {
        try {
            events.push_back(parseJson(line));
        } catch (const JsonError& error) {
            ADD_FAILURE() << "not a JSON line on standard output: " << line << " (" << error.what() << ")";
        }
    }
    return events;
}

ChildResult runCapture(const std::vector<std::string>& args, const std::string& orbbecSetting,
                       const std::string& kinectSetting, const std::string& workingDir)
{
    return runChild({captureProgramPath(), args,
                     {{"KESTRUM_SIM_ORBBEC", orbbecSetting}, {"KESTRUM_SIM_KINECT", kinectSetting}}, workingDir});
}

std::string lastLine(const std::string& text)
{
    const auto lines = splitLines(text);
    return lines.empty() ? "" : lines.back();
}

std::size_t filesIn(const std::filesystem::path& directory)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator()));
}

long long integer(const JsonValue& value)
{
    return std::stoll(value.text);
}
