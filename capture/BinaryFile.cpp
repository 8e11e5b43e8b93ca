// Headerless binary files written straight from a matrix's memory.
#include "BinaryFile.h"

#include <fstream>

BinaryFileResult writeMatrixBytes(const std::string& path, const cv::Mat& matrix)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return BinaryFileResult::OpenFailed;
    }
    if (matrix.isContinuous()) {
        file.write(reinterpret_cast<const char*>(matrix.data),
                   static_cast<std::streamsize>(matrix.total() * matrix.elemSize()));
    } else {
        const auto rowBytes = static_cast<std::streamsize>(matrix.cols * matrix.elemSize());
        for (int row = 0; row < matrix.rows; ++row) {
            file.write(reinterpret_cast<const char*>(matrix.ptr(row)), rowBytes);
        }
    }
    file.close();
    return file ? BinaryFileResult::Written : BinaryFileResult::WriteFailed;
}
