// Headerless binary files written straight from a matrix's memory.
#pragma once

#include <opencv2/core.hpp>

#include <string>

// The raw depth file and the colour-to-depth map are little-endian, and they
// are written as the values lie in memory.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the binary frame files need a little-endian host");

enum class BinaryFileResult { Written, OpenFailed, WriteFailed };

// Creates or truncates the file and writes the matrix's elements row after
// row, without padding: in one write when the rows are contiguous. The result
// is decided after the file has been closed, so data that could not reach the
// disk (a full file system) is a WriteFailed, not a truncated success.
BinaryFileResult writeMatrixBytes(const std::string& path, const cv::Mat& matrix);
