// Images encoded in memory and written as complete files.
#include "ImageFile.h"

#include <opencv2/imgcodecs.hpp>

bool writeImageFile(const std::string& path, const cv::Mat& image, const std::vector<int>& params)
{
    return stageImageFile(path, image, params).commit() == CompleteFileResult::Written;
}

StagedFile stageImageFile(const std::string& path, const cv::Mat& image, const std::vector<int>& params)
{
    // As cv::imwrite does: the encoder is chosen by what follows the last dot.
    const std::string::size_type dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : path.substr(dot);
    // cv::imencode empties the buffer but keeps its capacity.
    thread_local std::vector<unsigned char> encoded;
    if (!cv::imencode(extension, image, encoded, params)) {
        return StagedFile::failed(CompleteFileResult::NotWritten);
    }
    return StagedFile(path, encoded.data(), encoded.size());
}
