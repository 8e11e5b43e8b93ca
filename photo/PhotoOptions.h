// The command line of kestrum-photo: one output path, or --stream.
#pragma once

#include <optional>
#include <string>

struct PhotoOptions {
    bool stream = false;
    std::string outputPath;  // "--stream" in stream mode, where it is not used
};

inline constexpr const char* kPhotoUsageMessage = "Verwendung: kestrum-photo <ausgabe.jpg>|--stream";

// Empty unless there is exactly one argument. Only the exact text "--stream"
// selects the stream; anything else, "--STREAM" included, is a file name.
std::optional<PhotoOptions> parsePhotoArguments(int argc, const char* const argv[]);

// How long one frame wait may take, on either camera.
inline constexpr unsigned kPhotoFrameWaitMs = 5000;
inline constexpr unsigned kStreamFrameWaitMs = 1000;
