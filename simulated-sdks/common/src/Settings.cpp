// Parses "attached;key=value;..." control text against the keys a simulated SDK knows.
#include "kestrum_sim/Settings.h"

#include "CameraMessage.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kestrum_sim {
namespace {

std::string trimmed(const std::string& text)
{
    const char* whitespace = " \t\r\n";
    const size_t first = text.find_first_not_of(whitespace);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(whitespace) - first + 1);
}

std::vector<std::string> splitItems(const std::string& text)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        const size_t separator = text.find(';', start);
        items.push_back(trimmed(text.substr(start, separator - start)));
        if (separator == std::string::npos) return items;
        start = separator + 1;
    }
}

bool parseInteger(const std::string& text, long& value)
{
    if (text.empty() || !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool parseNumber(const std::string& text, double& value)
{
    if (text.empty() || text[0] == ' ') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

// Empty when the value suits the key, otherwise why not.
std::string valueProblem(const SettingKey& key, const std::string& value)
{
    long integer = 0;
    double number = 0.0;
    switch (key.type) {
    case SettingType::Count:
        return parseInteger(value, integer) && integer >= 0 ? "" : "expects a whole number >= 0";
    case SettingType::PositiveCount:
        return parseInteger(value, integer) && integer >= 1 ? "" : "expects a whole number >= 1";
    case SettingType::PositiveNumber:
        return parseNumber(value, number) && number > 0.0 ? "" : "expects a number > 0";
    case SettingType::Number:
        return parseNumber(value, number) ? "" : "expects a decimal number";
    case SettingType::Text:
        return "";
    case SettingType::Choice:
        if (std::find(key.choices.begin(), key.choices.end(), value) != key.choices.end()) return "";
        {
            std::string known;
            for (const std::string& choice : key.choices)
                known += (known.empty() ? "" : ", ") + choice;
            return "expects one of: " + known;
        }
    }
    return "has an unknown type";
}

} // namespace

void exitForBadSetting(const std::string& message)
{
    writeCameraMessage(message);
    std::_Exit(2);
}

Settings Settings::parse(const std::string& variableName, const std::string& text,
                         const std::vector<SettingKey>& knownKeys)
{
    Settings settings;
    settings.knownKeys_ = knownKeys;
    if (trimmed(text).empty()) return settings;
    settings.attached_ = true;
    const auto fail = [&](const std::string& item, const std::string& why) {
        return SettingsError(variableName + ": setting '" + item + "' " + why);
    };
    for (const std::string& item : splitItems(text)) {
        if (item.empty() || item == "attached") continue;
        const size_t equals = item.find('=');
        if (equals == std::string::npos) throw fail(item, "is not 'attached' nor of the form key=value");
        const std::string name = item.substr(0, equals);
        const std::string value = item.substr(equals + 1);
        const auto key = std::find_if(knownKeys.begin(), knownKeys.end(),
                                      [&](const SettingKey& known) { return known.name == name; });
        if (key == knownKeys.end()) throw fail(item, "is unknown");
        const std::string problem = valueProblem(*key, value);
        if (!problem.empty()) throw fail(item, problem);
        std::vector<std::string>& given = settings.values_[name];
        if (!given.empty() && !key->mayRepeat) throw fail(item, "is given more than once");
        given.push_back(value);
    }
    return settings;
}

Settings Settings::fromEnvironment(const char* variableName, const std::vector<SettingKey>& knownKeys)
{
    const char* text = std::getenv(variableName);
    try {
        return parse(variableName, text ? text : "", knownKeys);
    } catch (const SettingsError& error) {
        exitForBadSetting(error.what());
    }
}

const SettingKey& Settings::declared(const std::string& key) const
{
    for (const SettingKey& known : knownKeys_) {
        if (known.name == key) return known;
    }
    throw std::logic_error("simulated camera setting '" + key + "' was never declared");
}

const std::string* Settings::single(const std::string& key) const
{
    const auto found = values_.find(key);
    return found == values_.end() ? nullptr : &found->second.back();
}

bool Settings::has(const std::string& key) const
{
    declared(key);
    return values_.count(key) != 0;
}

long Settings::count(const std::string& key, long fallback) const
{
    const SettingType type = declared(key).type;
    if (type != SettingType::Count && type != SettingType::PositiveCount) {
        throw std::logic_error("simulated camera setting '" + key + "' is not a count");
    }
    const std::string* value = single(key);
    return value ? std::strtol(value->c_str(), nullptr, 10) : fallback;
}

double Settings::number(const std::string& key, double fallback) const
{
    const SettingType type = declared(key).type;
    if (type != SettingType::PositiveNumber && type != SettingType::Number) {
        throw std::logic_error("simulated camera setting '" + key + "' is not a number");
    }
    const std::string* value = single(key);
    return value ? std::strtod(value->c_str(), nullptr) : fallback;
}

std::string Settings::text(const std::string& key, const std::string& fallback) const
{
    declared(key);
    const std::string* value = single(key);
    return value ? *value : fallback;
}

std::vector<std::string> Settings::all(const std::string& key) const
{
    declared(key);
    const auto found = values_.find(key);
    return found == values_.end() ? std::vector<std::string>{} : found->second;
}

bool Settings::includes(const std::string& key, const std::string& value) const
{
    const std::vector<std::string> given = all(key);
    return std::find(given.begin(), given.end(), value) != given.end();
}

} // namespace kestrum_sim
