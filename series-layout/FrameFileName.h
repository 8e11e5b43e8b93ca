// The name of a frame's file, and the frame number read back from a name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// prefix-NNNN.extension, the index padded with zeros to at least four digits
// (frameFileName("color", 7, ".jpg") is "color-0007.jpg"; 12345 stays 12345).
std::string frameFileName(const std::string& prefix, int32_t index, const std::string& extension);

// The frame number in a name of the form prefix-NNNN.extension as frameFileName writes it
// (at least four digits, no further leading zeros), or nothing.
std::optional<int32_t> frameIndexOf(const std::string& name, const std::string& prefix, const std::string& extension);
