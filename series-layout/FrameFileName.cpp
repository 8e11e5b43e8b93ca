// The name of a frame's file, and the frame number read back from a name.
#include "FrameFileName.h"

#include <algorithm>
#include <cctype>
#include <iomanip>
#include <sstream>

std::string frameFileName(const std::string& prefix, int32_t index, const std::string& extension)
{
    std::ostringstream name;
    name << prefix << '-' << std::setw(4) << std::setfill('0') << index << extension;
    return name.str();
}

std::optional<int32_t> frameIndexOf(const std::string& name, const std::string& prefix, const std::string& extension)
{
    const std::string head = prefix + "-";
    if (name.size() <= head.size() + extension.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
        return std::nullopt;
    }
    const std::string digits = name.substr(head.size(), name.size() - head.size() - extension.size());
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
    const bool padded = digits.size() == 4 || (digits.size() > 4 && digits.size() <= 10 && digits[0] != '0');
    if (!allDigits || !padded) {
        return std::nullopt;
    }
    const long long index = std::stoll(digits);
    if (index > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(index);
}
