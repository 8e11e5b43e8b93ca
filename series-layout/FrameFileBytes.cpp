// A frame file read whole into memory and checked without decoding it.
#include "FrameFileBytes.h"

#include "FrameFileRules.h"

namespace {

constexpr size_t kImageHeaderBytes = 65536;
constexpr size_t kClosingMarkerBytes = 12;

bool isImage(const FrameFileLayout& file)
{
    return file.kind == FrameFileKind::ColorJpeg || file.kind == FrameFileKind::DepthPng;
}

FileSizeRule sizeRuleOf(const FrameFileLayout& file)
{
    return [file](uintmax_t size) {
        const bool png = file.kind == FrameFileKind::DepthPng;
        return isImage(file) ? imageFileSizeProblem(size, mostImageFileBytes(png, file.width, file.height), file.width,
                                                    file.height)
                             : byteSizeProblem(size, binaryFileBytes(file));
    };
}

// A truncated JPEG still decodes, with grey below the cut, so it is refused before decoding; a
// header that promises another image would make the decoder allocate for that one.
std::optional<std::string> encodedImageProblem(const std::vector<uint8_t>& head, const std::vector<uint8_t>& tail,
                                               const FrameFileLayout& file)
{
    const bool png = file.kind == FrameFileKind::DepthPng;
    std::optional<std::string> problem = truncationProblem(tail, png);
    if (!problem) {
        problem = headerProblem(png ? pngHeader(head) : jpegHeader(head), file.width, file.height, png);
    }
    return problem;
}

} // namespace

FileBytes readFrameFile(const std::string& path, const FrameFileLayout& file)
{
    FileBytes read = readRegularFile(path, sizeRuleOf(file));
    if (read.problem || !isImage(file)) {
        return read;
    }
    read.problem = encodedImageProblem(read.bytes, read.bytes, file);
    if (!read.problem && file.kind == FrameFileKind::DepthPng) {
        // Only the whole file shows it.
        read.problem = pngDataProblem(read.bytes, file.width, file.height);
    }
    if (read.problem) {
        read.bytes.clear();
    }
    return read;
}

std::optional<std::string> frameFileProblem(const std::string& path, const FrameFileLayout& file)
{
    const bool image = isImage(file);
    const FileEnds ends =
        readRegularFileEnds(path, sizeRuleOf(file), image ? kImageHeaderBytes : 0, image ? kClosingMarkerBytes : 0);
    if (ends.problem || !image) {
        return ends.problem;
    }
    return encodedImageProblem(ends.head, ends.tail, file);
}
