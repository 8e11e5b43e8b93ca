// The folders of a test series and the files a frame has in them, per camera.
#include "FrameFiles.h"

#include "FrameFileName.h"

std::string frameFilePath(const std::filesystem::path& outputDir, const FrameFile& file, int32_t index)
{
    return (outputDir / file.subDirectory / frameFileName(file.prefix, index, file.extension)).string();
}

bool cameraWrites(SeriesCamera camera, const FrameFile& file)
{
    return camera == SeriesCamera::KinectV2 || file.kind != FrameFileKind::ColorMap;
}

std::vector<FrameFileLayout> filesOfAllFolders(const SeriesDescription& series)
{
    const int w = series.width;
    const int h = series.height;
    return {
        {kColorFile, w, h},
        {kColorFullFile, series.fullColorWidth, series.fullColorHeight},
        {kColorMapFile, w, h},
        {kDepthFile, w, h},
        {kDepthRawFile, w, h},
    };
}

std::vector<FrameFileLayout> frameFilesOf(const SeriesDescription& series)
{
    std::vector<FrameFileLayout> files;
    for (const FrameFileLayout& file : filesOfAllFolders(series)) {
        if (cameraWrites(series.camera, file)) files.push_back(file);
    }
    return files;
}
