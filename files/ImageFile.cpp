// Images encoded in memory and written as complete files.
#include "ImageFile.h"

#include "CompleteFile.h"

#include <opencv2/imgcodecs.hpp>

bool writeImageFile(const std::string& path, const cv::Mat& image, const std::vector<int>& params)
{
    // As cv::imwrite does: the encoder is chosen by what follows the last dot.
    const std::string::size_type dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : path.substr(dot);
    std::vector<unsigned char> encoded;
    if (!cv::imencode(extension, image, encoded, params)) {
        return false;
    }
    return writeCompleteFile(path, encoded.data(), encoded.size()) == CompleteFileResult::Written;
}
