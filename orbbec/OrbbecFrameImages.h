// Own copies of an Orbbec frame's pixels as OpenCV images; the SDK's buffers are never handed out,
// and never read unless the frame holds what the stream asked for.
#pragma once

#include <libobsensor/ObSensor.hpp>
#include <opencv2/core.hpp>

#include <cstdint>
#include <optional>
#include <string>

// Why a frame's data are not height rows of width pixels in the format the stream asked for (BGR or
// Y16), packed one after the other, or nothing: another format, or a data size that such rows do
// not fill exactly (rows cut short, padded, missing or more).
std::optional<std::string> frameDataProblem(OBFormat format, OBFormat asked, uint32_t width, uint32_t height,
                                            uint32_t dataSize);

// Why raw depth values times this scale are no millimetres, or nothing: it is not a finite positive number.
std::optional<std::string> valueScaleProblem(float scale);

// The pixels of a BGR frame of packed rows. Empty for a frame without pixels, and, after a line on
// standard error that says what is wrong, for a frame that does not hold such pixels.
cv::Mat colorImageOf(const ob::ColorFrame& frame);

// The raw 16-bit values of a Y16 frame of packed rows times scale, as 32-bit floats; 0 stays 0. Empty
// for a frame without pixels, and, after a line on standard error that says what is wrong, for a
// frame that does not hold such values or whose scale is not a finite positive number.
cv::Mat depthImageOf(const ob::DepthFrame& frame, float scale);
