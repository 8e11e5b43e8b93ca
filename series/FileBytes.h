// Whole files read into memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::vector<uint8_t>> readBinaryFile(const std::string& path);

// Why readBinaryFile gave nothing: "is missing" or "cannot be read".
std::string unreadableFileProblem(const std::string& path);
