// Which files make up a frame of a test series, and what the other entries of its folders are.
#pragma once

#include "SeriesDescription.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class FrameFileKind { ColorJpeg, DepthPng, DepthRaw, ColorMap };

// Where one file of every frame lies, and what it holds.
struct FrameFileLayout {
    const char* subDirectory;
    const char* prefix;
    const char* extension;
    FrameFileKind kind;
    int width;
    int height;
};

// The files the series' camera writes for every frame, in the order the checks report them.
std::vector<FrameFileLayout> frameFilesOf(const SeriesDescription& series);

// The frame number in a name of the form prefix-NNNN.extension as the capture program writes it
// (at least four digits, no further leading zeros), or nothing.
std::optional<int32_t> frameIndexOf(const std::string& name, const std::string& prefix, const std::string& extension);

// Why an entry of one of the five frame folders is left over from something other than this
// series (a temporary file of an interrupted write, a frame beyond savedFrames, a file this
// camera does not write, a name no capture writes), or nothing for a file of this series.
std::optional<std::string> leftoverReason(const SeriesDescription& series, const std::string& subDirectory,
                                          const std::string& name);
