// Reads capture.json with nlohmann::json, in either camera's variant.
#include "SeriesDescription.h"

#include "FileBytes.h"
#include "KinectGeometry.h"
#include "Utf8Repair.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace {

using nlohmann::json;

// Longer than any summary the capture program writes, whatever its camera's texts.
constexpr uintmax_t kLargestCaptureJsonBytes = 65536;

const json& member(const json& object, const char* name)
{
    const auto found = object.find(name);
    if (found == object.end()) {
        throw SeriesDescriptionError(std::string("no member \"") + name + "\"");
    }
    return *found;
}

// The capture program writes its counters, sizes and requested values as 32-bit integers.
int64_t integerMember(const json& object, const char* name, int64_t least = 0,
                      int64_t most = std::numeric_limits<int32_t>::max())
{
    const json& value = member(object, name);
    if (!value.is_number_integer() || value.get<int64_t>() < least || value.get<int64_t>() > most) {
        throw SeriesDescriptionError(std::string("\"") + name + "\" is not an integer from " +
                                     std::to_string(least) + " to " + std::to_string(most));
    }
    return value.get<int64_t>();
}

double numberMember(const json& object, const char* name)
{
    const json& value = member(object, name);
    if (!value.is_number()) {
        throw SeriesDescriptionError(std::string("\"") + name + "\" is not a number");
    }
    return value.get<double>();
}

std::string textMember(const json& object, const char* name)
{
    const json& value = member(object, name);
    if (!value.is_string()) {
        throw SeriesDescriptionError(std::string("\"") + name + "\" is not a text");
    }
    return value.get<std::string>();
}

int imageSide(const json& object, const char* name)
{
    return static_cast<int>(integerMember(object, name, 1));
}

} // namespace

SeriesDescription parseCaptureJson(const std::string& text)
{
    json document;
    try {
        // A camera text may hold bytes that are not UTF-8, which the parser refuses.
        document = json::parse(withInvalidUtf8Replaced(text));
    } catch (const json::parse_error& error) {
        throw SeriesDescriptionError(std::string("not JSON: ") + error.what());
    } catch (const json::out_of_range& error) {
        throw SeriesDescriptionError(std::string("holds a number too large for any type: ") + error.what());
    }
    if (!document.is_object()) {
        throw SeriesDescriptionError("not a JSON object");
    }
    SeriesDescription series;
    const bool orbbec = document.contains("backend");
    if (orbbec && textMember(document, "backend") != "orbbec") {
        throw SeriesDescriptionError("unknown backend: " + textMember(document, "backend"));
    }
    series.camera = orbbec ? SeriesCamera::Orbbec : SeriesCamera::KinectV2;
    series.device = orbbec ? textMember(document, "device") : "Kinect v2";
    series.serial = textMember(document, "serial");
    if (orbbec) {
        series.firmware = textMember(document, "firmware");
        series.connection = textMember(document, "connection");
        series.depthScale = numberMember(document, "depthScale");
    }
    series.requestedDurationMs = integerMember(document, "requestedDurationMs");
    series.actualDurationMs = integerMember(document, "actualDurationMs", 0, std::numeric_limits<int64_t>::max());
    series.requestedSampleFps = integerMember(document, "requestedSampleFps");
    series.receivedFrames = integerMember(document, "receivedFrames");
    series.savedFrames = integerMember(document, "savedFrames");
    series.missingFrames = integerMember(document, "missingFrames");
    series.incompleteFrames = integerMember(document, "incompleteFrames");
    series.skippedFrames = integerMember(document, "skippedFrames");
    series.receivedFps = numberMember(document, "receivedFps");
    series.savedFps = numberMember(document, "savedFps");
    series.width = imageSide(document, "width");
    series.height = imageSide(document, "height");
    if (orbbec) {
        series.fullColorWidth = imageSide(document, "colorWidth");
        series.fullColorHeight = imageSide(document, "colorHeight");
    } else {
        series.fullColorWidth = kKinectColorWidth;
        series.fullColorHeight = kKinectColorHeight;
    }
    const json& camera = member(document, "camera");
    if (!camera.is_object()) {
        throw SeriesDescriptionError("\"camera\" is not an object");
    }
    series.intrinsics = {numberMember(camera, "fx"), numberMember(camera, "fy"), numberMember(camera, "cx"),
                         numberMember(camera, "cy")};
    if (series.intrinsics.fx <= 0 || series.intrinsics.fy <= 0) {
        throw SeriesDescriptionError("the focal lengths fx and fy must be positive");
    }
    return series;
}

SeriesDescription readCaptureJson(const std::filesystem::path& dir)
{
    const std::string path = (dir / "capture.json").string();
    const FileBytes file = readRegularFile(path, [](uintmax_t size) -> std::optional<std::string> {
        if (size <= kLargestCaptureJsonBytes) {
            return std::nullopt;
        }
        return "has " + std::to_string(size) + " bytes, too many for a capture.json (at most " +
               std::to_string(kLargestCaptureJsonBytes) + ")";
    });
    if (file.problem) {
        throw SeriesDescriptionError(path + " " + *file.problem);
    }
    try {
        return parseCaptureJson(std::string(file.bytes.begin(), file.bytes.end()));
    } catch (const SeriesDescriptionError& error) {
        throw SeriesDescriptionError(path + ": " + error.what());
    }
}
