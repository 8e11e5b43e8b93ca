// The Orbbec SDK's configuration file, read with the XML parser the SDK itself uses (tinyxml2),
// so that the doctor takes the same file for broken as the SDK does.
#include "OrbbecSdkConfig.h"

#include "FileBytes.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cctype>
#include <dlfcn.h>
#include <sstream>

namespace {

const std::string kSlower = "which adds about 2 s to every start of the programs";
const std::string kOffSetting = "<EnumerateNetDevice>false</EnumerateNetDevice>";

// The SDK's reading of a truth value: true or false through a stream, else a lone 0 or 1.
std::optional<bool> truthValue(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    bool value = false;
    if (std::istringstream(text) >> std::boolalpha >> value) {
        return value;
    }
    const auto first = text.find_first_not_of(" \t\r\n");
    const auto last = text.find_last_not_of(" \t\r\n");
    if (first != std::string::npos && first == last && (text[first] == '0' || text[first] == '1')) {
        return text[first] == '1';
    }
    return std::nullopt;
}

// The file's text, or why it was not read.
FileBytes readSdkConfig(const std::filesystem::path& file)
{
    return readRegularFile(file.string(), [](uintmax_t size) {
        return size > kMostSdkConfigBytes ? std::optional<std::string>("has " + std::to_string(size) +
                                                                       " bytes, more than such a file holds (at most " +
                                                                       std::to_string(kMostSdkConfigBytes) + ")")
                                          : std::nullopt;
    });
}

} // namespace

SdkConfigReading readOrbbecSdkConfig(std::string_view text)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        return {NetworkDiscovery::NotXml, document.ErrorName()};
    }
    const tinyxml2::XMLElement* root = document.RootElement();
    if (root == nullptr) {
        return {NetworkDiscovery::NotXml, "no root element"};
    }
    const tinyxml2::XMLElement* device = root->FirstChildElement("Device");
    const tinyxml2::XMLElement* setting = device ? device->FirstChildElement("EnumerateNetDevice") : nullptr;
    if (setting == nullptr || setting->FirstChild() == nullptr || setting->FirstChild()->ToText() == nullptr) {
        return {};
    }
    const std::optional<bool> on = truthValue(setting->GetText());
    if (!on) {
        return {};
    }
    return {*on ? NetworkDiscovery::On : NetworkDiscovery::Off, ""};
}

Finding sdkConfigFinding(const std::filesystem::path& file, const std::optional<std::string>& text,
                         const std::string& readProblem)
{
    const std::string path = file.string();
    const std::string builtIn = "so the SDK's built-in setting turns network discovery on, " + kSlower;
    if (!text) {
        return {Level::Note, Topic::SdkConfig, path + " " + readProblem + ", " + builtIn,
                "install the SDK again, which puts the file there, then set " + kOffSetting + " in it"};
    }
    const SdkConfigReading reading = readOrbbecSdkConfig(*text);
    switch (reading.discovery) {
    case NetworkDiscovery::Off:
        return {Level::Ok, Topic::SdkConfig, path + ": network discovery off", ""};
    case NetworkDiscovery::On:
        return {Level::Note, Topic::SdkConfig, path + ": network discovery on, " + kSlower,
                "sudo sed -i -e 's|<EnumerateNetDevice>[^<]*</EnumerateNetDevice>|" + kOffSetting + "|' " + path};
    case NetworkDiscovery::Unset:
        return {Level::Note, Topic::SdkConfig,
                path + " has no <Device><EnumerateNetDevice> that the SDK reads as true or false, " + builtIn,
                "set " + kOffSetting + " in its <Device> element"};
    case NetworkDiscovery::NotXml:
        break;
    }
    return {Level::Note, Topic::SdkConfig,
            path + " is no XML the SDK can read (" + reading.detail + "): it ignores the file, " + builtIn,
            "install the SDK again, which puts the file there, then set " + kOffSetting + " in it"};
}

Finding sdkConfigFindingBeside(const void* sdkFunction)
{
    Dl_info library{};
    if (::dladdr(sdkFunction, &library) == 0 || library.dli_fname == nullptr) {
        return {Level::Note, Topic::SdkConfig,
                "cannot tell which folder the Orbbec SDK was loaded from, so its configuration file is not checked",
                ""};
    }
    const std::filesystem::path file = std::filesystem::path(library.dli_fname).parent_path() / kOrbbecSdkConfigName;
    const FileBytes read = readSdkConfig(file);
    if (read.problem) {
        return sdkConfigFinding(file, std::nullopt, *read.problem);
    }
    return sdkConfigFinding(file, std::string(read.bytes.begin(), read.bytes.end()), "");
}
