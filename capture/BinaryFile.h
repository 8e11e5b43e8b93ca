// Headerless binary files written from a matrix's memory.
#pragma once

#include "CompleteFile.h"

#include <opencv2/core.hpp>

#include <string>

// The raw depth file and the colour-to-depth map are little-endian, and they
// are written as the values lie in memory.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the binary frame files need a little-endian host");

// The matrix's elements row after row, without padding, as a staged complete
// file (StagedFile).
StagedFile stageMatrixBytes(const std::string& path, const cv::Mat& matrix);
