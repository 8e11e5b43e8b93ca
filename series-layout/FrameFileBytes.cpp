// A frame file read whole into memory and checked without decoding it.
#include "FrameFileBytes.h"

#include "FrameFileRules.h"

FileBytes readFrameFile(const std::string& path, const FrameFileLayout& file)
{
    const bool image = file.kind == FrameFileKind::ColorJpeg || file.kind == FrameFileKind::DepthPng;
    const bool png = file.kind == FrameFileKind::DepthPng;
    FileBytes read = readRegularFile(path, [&](uintmax_t size) {
        return image ? imageFileSizeProblem(size, mostImageFileBytes(png, file.width, file.height), file.width,
                                            file.height)
                     : byteSizeProblem(size, binaryFileBytes(file));
    });
    if (read.problem || !image) {
        return read;
    }
    // A truncated JPEG still decodes, with grey below the cut, so it is refused before decoding;
    // a header that promises another image would make the decoder allocate for that one.
    read.problem = truncationProblem(read.bytes, png);
    if (!read.problem) {
        read.problem = headerProblem(png ? pngHeader(read.bytes) : jpegHeader(read.bytes), file.width, file.height, png);
    }
    if (!read.problem && png) {
        read.problem = pngDataProblem(read.bytes, file.width, file.height);
    }
    if (read.problem) {
        read.bytes.clear();
    }
    return read;
}
