// Headerless binary files written from a matrix's memory.
#include "BinaryFile.h"

CompleteFileResult writeMatrixBytes(const std::string& path, const cv::Mat& matrix)
{
    // A view with padded rows is copied into one block first.
    const cv::Mat contiguous = matrix.isContinuous() ? matrix : matrix.clone();
    return writeCompleteFile(path, contiguous.data, contiguous.total() * contiguous.elemSize());
}
