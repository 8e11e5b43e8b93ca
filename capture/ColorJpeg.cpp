// Colour JPEG files of a kept frame.
#include "ColorJpeg.h"

#include "ImageFile.h"

#include <opencv2/imgcodecs.hpp>

#include <stdexcept>

bool writeJpeg(const cv::Mat& bgrImage, const std::string& path, int quality)
{
    return writeImageFile(path, bgrImage, {cv::IMWRITE_JPEG_QUALITY, quality});
}

void writeColorJpeg(const cv::Mat& bgrImage, const std::string& path, int quality)
{
    if (!writeJpeg(bgrImage, path, quality)) {
        throw std::runtime_error("Farbbild konnte nicht gespeichert werden: " + path);
    }
}
