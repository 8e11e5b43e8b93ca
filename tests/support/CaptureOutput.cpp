// Reading kestrum-capture's output as the calling program does.
#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <iterator>
#include <sstream>

namespace {

// The payloads of the DQT segments before the image data; libjpeg derives them from the quality alone.
std::string quantisationTables(const std::string& jpeg)
{
    std::string tables;
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == '\xff' && jpeg[at + 1] != '\xda') {
        const size_t length = static_cast<size_t>(static_cast<uint8_t>(jpeg[at + 2]) << 8 | static_cast<uint8_t>(jpeg[at + 3]));
        if (jpeg[at + 1] == '\xdb') tables += jpeg.substr(at + 4, length - 2);
        at += 2 + length;
    }
    return tables;
}

} // namespace

std::vector<JsonValue> eventLines(const ChildResult& result)
{
    std::vector<JsonValue> events;
    if (!result.out.empty()) {
        EXPECT_EQ(result.out.back(), '\n');
    }
    for (const std::string& line : splitLines(result.out)) {
        try {
            events.push_back(parseJson(line));
        } catch (const JsonError& error) {
            ADD_FAILURE() << "not a JSON line on standard output: " << line << " (" << error.what() << ")";
        }
    }
    return events;
}

ChildResult runCapture(const std::vector<std::string>& args, const std::string& orbbecSetting,
                       const std::string& kinectSetting, const std::string& workingDir)
{
    return runChild({captureProgramPath(), args,
                     {{"KESTRUM_SIM_ORBBEC", orbbecSetting}, {"KESTRUM_SIM_KINECT", kinectSetting}}, workingDir});
}

std::string frameSavedLine(const std::string& outputDir, int index, const std::string& timestampMs)
{
    char number[16];
    std::snprintf(number, sizeof number, "%04d", index);
    return "{\"event\":\"frameSaved\",\"index\":" + std::to_string(index) + ",\"timestampMs\":" + timestampMs +
           ",\"colorFile\":\"" + outputDir + "/color/color-" + number + ".jpg\",\"depthFile\":\"" + outputDir +
           "/depth/depth-" + number + ".png\",\"depthRawFile\":\"" + outputDir + "/depth-raw/depth-" + number + ".bin\"}";
}

int jpegQuality(const std::string& jpeg)
{
    const std::string tables = quantisationTables(jpeg);
    for (int quality = 1; quality <= 100; ++quality) {
        std::vector<uchar> reference;
        cv::imencode(".jpg", cv::Mat(8, 8, CV_8UC3, cv::Scalar::all(0)), reference, {cv::IMWRITE_JPEG_QUALITY, quality});
        if (quantisationTables(std::string(reference.begin(), reference.end())) == tables) return quality;
    }
    return -1;
}

std::vector<std::string> incompleteOrTemporaryFiles(const std::filesystem::path& outputDir,
                                                    std::size_t rawDepthBytes)
{
    const auto endsWith = [](const std::string& bytes, const std::string& end) {
        return bytes.size() >= end.size() && bytes.compare(bytes.size() - end.size(), end.size(), end) == 0;
    };
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(outputDir)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::filesystem::path& path = entry.path();
        const std::string bytes = readFileBytes(path.string());
        const std::string folder = path.parent_path().filename().string();
        bool complete = path.filename().string().front() != '.';
        if (path.extension() == ".jpg") {
            complete = complete && endsWith(bytes, "\xFF\xD9");
        } else if (path.extension() == ".png") {
            complete = complete && endsWith(bytes, std::string("IEND\xAE\x42\x60\x82", 8));
        } else if (folder == "color-map" || folder == "depth-raw") {
            complete = complete && bytes.size() == (folder == "color-map" ? 868352u : rawDepthBytes);
        }
        if (!complete) {
            found.push_back(path.string());
        }
    }
    return found;
}

std::vector<std::vector<std::string>> timingRows(const std::string& dir)
{
    std::vector<std::vector<std::string>> rows;
    const std::vector<std::string> lines = splitLines(readFileBytes(dir + "/timing.csv"));
    for (size_t k = 1; k < lines.size(); ++k) {
        std::vector<std::string>& fields = rows.emplace_back();
        std::stringstream line(lines[k]);
        for (std::string field; std::getline(line, field, ',');) fields.push_back(field);
        fields.resize(19);   // getline leaves out an empty last field
    }
    return rows;
}

std::string lastLine(const std::string& text)
{
    const auto lines = splitLines(text);
    return lines.empty() ? "" : lines.back();
}

std::size_t filesIn(const std::filesystem::path& directory)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator()));
}

long long integer(const JsonValue& value)
{
    return std::stoll(value.text);
}

void replaceMember(std::string& json, const std::string& name, const std::string& value)
{
    const size_t start = json.find("\"" + name + "\": ") + name.size() + 4;
    json.replace(start, json.find_first_of(",\n", start) - start, value);
}
