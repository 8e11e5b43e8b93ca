// Whole files read into memory: only regular files, and only when their size is one their kind can have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct FileBytes {
    std::vector<uint8_t> bytes;
    // "is missing", "is not a regular file", "cannot be read: " and the system's reason, or what
    // the size rule answered; the bytes are then empty.
    std::optional<std::string> problem;
};

// Why a file of this many bytes is not one of its kind, or nothing.
using FileSizeRule = std::function<std::optional<std::string>(uintmax_t size)>;

// Reads the whole file at path, following symbolic links. Anything but a regular file (a pipe,
// a device, a directory) is refused without being opened, so nothing blocks or has side effects;
// a size the rule refuses is refused without reading.
FileBytes readRegularFile(const std::string& path, const FileSizeRule& sizeProblem);

// The first and the last bytes of a file, under the rules of readRegularFile, without reading what
// lies between them.
struct FileEnds {
    std::vector<uint8_t> head;   // at most headBytes from the start
    std::vector<uint8_t> tail;   // at most tailBytes up to the end; overlaps head in a short file
    std::optional<std::string> problem;
};

FileEnds readRegularFileEnds(const std::string& path, const FileSizeRule& sizeProblem, size_t headBytes,
                             size_t tailBytes);
