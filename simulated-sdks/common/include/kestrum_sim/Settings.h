// The settings of a simulated camera, read from its control environment variable.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrum_sim {

enum class SettingType {
    Count,          // integer >= 0
    PositiveCount,  // integer >= 1
    PositiveNumber, // decimal number > 0
    Number,         // decimal number, also 0 or below
    Text,           // any characters but ';'
    Choice,         // one of SettingKey::choices
};

struct SettingKey {
    std::string name;
    SettingType type;
    bool mayRepeat = false;
    std::vector<std::string> choices = {};
};

// A malformed, unknown or repeated setting; the message names the variable and the setting.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends the process as a bad setting does: "kestrum simulated camera: " and the message as one line on standard
// error (control characters escaped), exit status 2, because a simulated camera that went on would mislead whoever set it.
[[noreturn]] void exitForBadSetting(const std::string& message);

class Settings {
public:
    // Unset or empty text means no camera attached. Throws SettingsError.
    static Settings parse(const std::string& variableName, const std::string& text,
                          const std::vector<SettingKey>& knownKeys);

    // Reads the variable; a bad setting ends the process (exitForBadSetting).
    static Settings fromEnvironment(const char* variableName, const std::vector<SettingKey>& knownKeys);

    bool attached() const { return attached_; }
    bool has(const std::string& key) const;

    // The value given for a key, or the fallback; asking for an undeclared key or
    // with the wrong type is a programming error (std::logic_error).
    long count(const std::string& key, long fallback) const;
    double number(const std::string& key, double fallback) const;
    std::string text(const std::string& key, const std::string& fallback) const;
    // Every value given for a key, in order (for keys that may repeat).
    std::vector<std::string> all(const std::string& key) const;
    bool includes(const std::string& key, const std::string& value) const;

private:
    const SettingKey& declared(const std::string& key) const;
    const std::string* single(const std::string& key) const;

    bool attached_ = false;
    std::vector<SettingKey> knownKeys_;
    std::map<std::string, std::vector<std::string>> values_;
};

} // namespace kestrum_sim
