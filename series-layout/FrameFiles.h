// The folders of a test series and the files a frame has in them, per camera.
#pragma once

#include "SeriesDescription.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

inline constexpr const char* kColorDir = "color";
inline constexpr const char* kColorFullDir = "color-full";
inline constexpr const char* kColorMapDir = "color-map";
inline constexpr const char* kDepthDir = "depth";
inline constexpr const char* kDepthRawDir = "depth-raw";

// In the order the capture program creates them.
inline constexpr std::array<const char*, 5> kFrameFolders = {kColorDir, kColorFullDir, kColorMapDir, kDepthDir,
                                                             kDepthRawDir};

enum class FrameFileKind { ColorJpeg, DepthPng, DepthRaw, ColorMap };

// One file of every frame: its folder, its name prefix-NNNN.extension, and what it holds.
struct FrameFile {
    const char* subDirectory;
    const char* prefix;
    const char* extension;
    FrameFileKind kind;
};

inline constexpr FrameFile kColorFile{kColorDir, "color", ".jpg", FrameFileKind::ColorJpeg};
inline constexpr FrameFile kColorFullFile{kColorFullDir, "color-full", ".jpg", FrameFileKind::ColorJpeg};
inline constexpr FrameFile kColorMapFile{kColorMapDir, "color-map", ".bin", FrameFileKind::ColorMap};
inline constexpr FrameFile kDepthFile{kDepthDir, "depth", ".png", FrameFileKind::DepthPng};
// The prefix is "depth", not "depth-raw".
inline constexpr FrameFile kDepthRawFile{kDepthRawDir, "depth", ".bin", FrameFileKind::DepthRaw};

// A frame file of a particular series, with the size of the image it holds.
struct FrameFileLayout : FrameFile {
    int width;
    int height;
};

// outputDir / the file's folder / frameFileName(...), as the string the file is opened with and the event
// line reports (no doubled "/" after "out/").
std::string frameFilePath(const std::filesystem::path& outputDir, const FrameFile& file, int32_t index);

// Every camera writes all but the colour-to-depth map, which only the Kinect v2 writes.
bool cameraWrites(SeriesCamera camera, const FrameFile& file);

// The files of all five folders at the series' sizes, in the order above, also those its camera does not write.
std::vector<FrameFileLayout> filesOfAllFolders(const SeriesDescription& series);

// The files the series' camera writes for every frame, in the order above.
std::vector<FrameFileLayout> frameFilesOf(const SeriesDescription& series);
