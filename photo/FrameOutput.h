// handleFrame: the one place where a received colour frame becomes the photo
// file or a part of the MJPEG live stream.
#pragma once

#include "MessageLine.h"
#include "StandardOutputStream.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

inline constexpr int32_t kWarmUpFrames = 20;        // indices 0 to 19 produce nothing
inline constexpr int32_t kPhotoFrameIndex = 20;     // the first frame past the warm-up
inline constexpr int32_t kStreamFrameInterval = 6;  // one part per sixth frame, from index 20
inline constexpr int kPhotoJpegQuality = 95;
inline constexpr int kStreamJpegQuality = 82;
inline constexpr int kStreamWidth = 960;
inline constexpr int kStreamHeight = 540;

inline constexpr const char* kPhotoNotSavedMessage = "Foto konnte nicht gespeichert werden.";
inline constexpr const char* kStreamNotEncodedMessage = "Livebild konnte nicht codiert werden.";

// Encodes the scaled stream image as JPEG; false when the encoder gives up.
using StreamEncoder = std::function<bool(const cv::Mat& image, std::vector<unsigned char>& jpeg)>;

bool encodeStreamJpeg(const cv::Mat& image, std::vector<unsigned char>& jpeg);

// Where handleFrame writes; the program uses the defaults, tests their own streams.
struct FrameOutput {
    std::ostream& stream = standardOutputStream();  // live stream parts, nothing else
    LineChannel messages = kStandardError;  // operator messages
    StreamEncoder encode = encodeStreamJpeg;
};

// Photo mode: writes the frame with index 20 to outputPath as a complete file
// (an earlier photo there stays until the new one is whole), sets
// outputWritten to the writer's result and returns false. Stream mode: writes a 960x540 part
// for index 20, 26, 32, ...; sets outputWritten after a complete part and returns
// false when the stream cannot go on. Empty frames and the warm-up return true.
// Image library exceptions pass to the caller.
bool handleFrame(const cv::Mat& image, bool stream, int32_t index, const std::string& outputPath,
                 bool& outputWritten, const FrameOutput& output = FrameOutput{});

// The index after this one. A stream may outlast the 32-bit index: rather than
// overflow, it steps back by a multiple of the stream interval, keeping the
// one-in-six rhythm.
int32_t nextFrameIndex(int32_t index);
