// Images encoded in memory and written as complete files.
#pragma once

#include "CompleteFile.h"

#include <opencv2/core.hpp>

#include <string>
#include <vector>

// Encodes the image in the format that the path's extension names, as
// cv::imwrite would choose it, with these encoder parameters, and writes the
// encoded bytes with writeCompleteFile. False when the encoder refuses the
// image or the file cannot be written; a name whose extension has no encoder
// (or that has none) is the image library's exception, which passes to the
// caller before any file is created.
bool writeImageFile(const std::string& path, const cv::Mat& image, const std::vector<int>& params = {});

// writeImageFile up to the rename (see StagedFile); an image the encoder
// refuses gives a file that failed with NotWritten. Each thread encodes into a
// buffer of its own that it keeps, so a thread writing frame after frame does
// not allocate one per image.
StagedFile stageImageFile(const std::string& path, const cv::Mat& image, const std::vector<int>& params = {});
