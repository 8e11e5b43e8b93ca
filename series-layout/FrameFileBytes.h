// A frame file read whole into memory and checked without decoding it.
#pragma once

#include "FileBytes.h"
#include "FrameFiles.h"

#include <optional>
#include <string>

// Reads the file at path when it is a regular file of a size its kind can have (exactly that of a
// raw depth file or map, at most mostImageFileBytes for an image), and refuses an image cut short,
// whose header declares another size or pixel type than the layout's, or a PNG whose data inflate far
// beyond its image. The colour-to-depth map's entries and the pixels are not looked at.
FileBytes readFrameFile(const std::string& path, const FrameFileLayout& file);

// The same checks but the PNG's data, reading no more of an image than its first 64 KiB, where its
// header must lie (an encoder puts it in the first few hundred bytes), and its closing marker: what
// readFrameFile would refuse the file for, or nothing.
std::optional<std::string> frameFileProblem(const std::string& path, const FrameFileLayout& file);
