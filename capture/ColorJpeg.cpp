// Colour JPEG files of a kept frame.
#include "ColorJpeg.h"

#include "ImageFile.h"

#include <opencv2/imgcodecs.hpp>

StagedFile stageColorJpeg(const cv::Mat& image, const std::string& path, int quality)
{
    // The encoder takes BGRA itself, so the Kinect v2's images need no converted copy.
    return stageImageFile(path, image, {cv::IMWRITE_JPEG_QUALITY, quality});
}
