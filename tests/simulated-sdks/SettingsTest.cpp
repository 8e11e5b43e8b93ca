// The control-variable parser shared by the simulated SDKs: a setting it cannot apply fails loudly, by name.
// (Accepted settings show their effect in every test that uses them.)
#include "kestrum_sim/Settings.h"

#include <gtest/gtest.h>

using kestrum_sim::Settings;
using kestrum_sim::SettingsError;
using kestrum_sim::SettingType;

namespace {

const std::vector<kestrum_sim::SettingKey> kKeys = {
    {"fps", SettingType::PositiveNumber},
    {"frames", SettingType::Count},
    {"every", SettingType::PositiveCount},
    {"serial", SettingType::Text},
    {"fail", SettingType::Choice, true, {"open", "start"}},
};

Settings parse(const std::string& text) { return Settings::parse("KESTRUM_SIM_TEST", text, kKeys); }

} // namespace

TEST(SimulatedSdkSettings, MalformedUnknownOrRepeatedSettingsAreRejectedByName)
{
    const std::vector<std::string> rejected = {
        "bogus",   "fps",       "colour=red", "fps=",    "fps=0",     "fps=-2", "fps=fast",    "fps=3x",
        "fps=nan", "frames=-1", "frames=1.5", "every=0", "fail=boom", "fail=",  "fps=1;fps=2", "serial=a;serial=b",
    };
    for (const std::string& text : rejected) {
        try {
            parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const SettingsError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("KESTRUM_SIM_TEST"), std::string::npos) << message;
            const std::string offending = text.substr(text.rfind(';') + 1);
            EXPECT_NE(message.find("'" + offending + "'"), std::string::npos) << message;
        }
    }
}
