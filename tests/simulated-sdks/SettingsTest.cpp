// The control-variable parser shared by the simulated SDKs: accepted forms, typed values, loud failures.
#include "kestrum_sim/Settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST(SimulatedSdkSettings, AnySettingAttachesOneCameraAndValuesAreTyped)
{
    EXPECT_FALSE(parse("").attached());
    EXPECT_FALSE(parse("  ").attached());
    EXPECT_TRUE(parse("fps=15").attached());
    const Settings defaults = parse("attached");
    EXPECT_TRUE(defaults.attached());
    EXPECT_DOUBLE_EQ(defaults.number("fps", 30.0), 30.0);
    EXPECT_EQ(defaults.text("serial", "default"), "default");
    EXPECT_TRUE(defaults.all("fail").empty());

    const Settings settings = parse("attached; fps=12.5;frames=0;every=3;serial=A b=c;fail=start;fail=open;");
    EXPECT_DOUBLE_EQ(settings.number("fps", 30.0), 12.5);
    EXPECT_EQ(settings.count("frames", -1), 0);
    EXPECT_EQ(settings.count("every", 0), 3);
    EXPECT_EQ(settings.text("serial", ""), "A b=c"); // text runs to the next ';', '=' included
    EXPECT_EQ(settings.all("fail"), (std::vector<std::string>{"start", "open"}));
}

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

TEST(SimulatedSdkSettingsDeathTest, ABadVariableEndsTheProcessWithItsNameAndTheSetting)
{
    ::setenv("KESTRUM_SIM_TEST", "attached;frames=many", 1);
    EXPECT_EXIT(Settings::fromEnvironment("KESTRUM_SIM_TEST", kKeys), ::testing::ExitedWithCode(2),
                "KESTRUM_SIM_TEST.*'frames=many'");
    ::setenv("KESTRUM_SIM_TEST", "attached;frames=4", 1);
    EXPECT_EQ(Settings::fromEnvironment("KESTRUM_SIM_TEST", kKeys).count("frames", 0), 4);
    ::unsetenv("KESTRUM_SIM_TEST");
    EXPECT_FALSE(Settings::fromEnvironment("KESTRUM_SIM_TEST", kKeys).attached());
}
