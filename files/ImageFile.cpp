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
    try {
        if (!cv::imencode(extension, image, encoded, params)) {
            return StagedFile::failed(CompleteFileResult::NotWritten);
        }
    } catch (const cv::Exception&) {
        // An encoder that refuses the image (a colour image for a grey-only format) throws here,
        // where cv::imwrite reports the file as not written; a name without any encoder stays
        // an exception, as it is for cv::imwrite.
        if (!cv::haveImageWriter(path)) {
            throw;
        }
        return StagedFile::failed(CompleteFileResult::NotWritten);
    }
    return StagedFile(path, encoded.data(), encoded.size());
}
