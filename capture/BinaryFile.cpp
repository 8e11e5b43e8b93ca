// Headerless binary files written from a matrix's memory.
#include "BinaryFile.h"

StagedFile stageMatrixBytes(const std::string& path, const cv::Mat& matrix)
{
    // A view with padded rows is copied into one block first.
    const cv::Mat contiguous = matrix.isContinuous() ? matrix : matrix.clone();
    return StagedFile(path, contiguous.data, contiguous.total() * contiguous.elemSize());
}
