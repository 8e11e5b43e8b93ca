// The Orbbec SDK's configuration file beside its library, read as the SDK reads it: only its
// network discovery setting matters to a station with one USB camera.
#pragma once

#include "Finding.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kOrbbecSdkConfigName = "OrbbecSDKConfig.xml";

// The most the doctor reads of it: the SDK's own file has about 170 KiB.
inline constexpr uintmax_t kMostSdkConfigBytes = 1024 * 1024;

enum class NetworkDiscovery {
    Off,
    On,
    Unset,    // no <Device><EnumerateNetDevice> the SDK reads as a truth value: its built-in "on" applies
    NotXml,   // the SDK ignores the whole file: its built-in "on" applies
};

struct SdkConfigReading {
    NetworkDiscovery discovery = NetworkDiscovery::Unset;
    std::string detail;   // the XML parser's error for NotXml
};

// The root element's first <Device>, its first <EnumerateNetDevice>, whose content must begin
// with text: true or false in any case (leading blanks allowed), or 0 or 1 between blanks.
SdkConfigReading readOrbbecSdkConfig(std::string_view text);

// The finding for the file at this path: its text, or nothing with why it was not read ("is missing").
Finding sdkConfigFinding(const std::filesystem::path& file, const std::optional<std::string>& text,
                         const std::string& readProblem);

// Finds the file beside the shared library that holds this SDK function, as the SDK does, reads
// it, only where it is a regular file of at most kMostSdkConfigBytes and without blocking, and
// judges it.
Finding sdkConfigFindingBeside(const void* sdkFunction);
