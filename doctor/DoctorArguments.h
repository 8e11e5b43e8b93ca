// The command line of kestrum-doctor: an optional output directory and --json anywhere.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct DoctorOptions {
    std::filesystem::path outputDir;
    bool json = false;
};

inline constexpr const char* kDoctorUsage = "usage: kestrum-doctor [--json] [OUTPUT-DIRECTORY]";

// Nothing for a usage error: another option, or more than one directory. Without a
// directory, the capture program's default one; an empty one is the working directory,
// as for the capture program.
std::optional<DoctorOptions> parseDoctorArguments(const std::vector<std::string>& arguments);
