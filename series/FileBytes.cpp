// Whole files read into memory.
#include "FileBytes.h"

#include <filesystem>
#include <fstream>

std::optional<std::vector<uint8_t>> readBinaryFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return std::nullopt;
    }
    const std::streamoff size = file.tellg();
    if (size < 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return std::nullopt;
    }
    return bytes;
}

std::string unreadableFileProblem(const std::string& path)
{
    return std::filesystem::exists(path) ? "cannot be read" : "is missing";
}
