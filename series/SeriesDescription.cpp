// Reads capture.json with nlohmann::json, in either camera's variant.
#include "SeriesDescription.h"

#include "KinectGeometry.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <limits>

namespace {

using nlohmann::json;

// Images beyond this are not from a camera, and would only make the checks allocate absurdly.
constexpr int64_t kLargestImageSide = 16384;

const json& member(const json& object, const char* name)
{
    const auto found = object.find(name);
    if (found == object.end()) {
        throw SeriesDescriptionError(std::string("no member \"") + name + "\"");
    }
    return *found;
}

int64_t integerMember(const json& object, const char* name, int64_t least = 0,
                      int64_t most = std::numeric_limits<int64_t>::max())
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
    return static_cast<int>(integerMember(object, name, 1, kLargestImageSide));
}

} // namespace

SeriesDescription parseCaptureJson(const std::string& text)
{
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        throw SeriesDescriptionError(std::string("not JSON: ") + error.what());
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
    series.requestedDurationMs = integerMember(document, "requestedDurationMs");
    series.actualDurationMs = integerMember(document, "actualDurationMs");
    series.requestedSampleFps = integerMember(document, "requestedSampleFps");
    series.receivedFrames = integerMember(document, "receivedFrames");
    series.savedFrames = integerMember(document, "savedFrames", 0, std::numeric_limits<int32_t>::max());
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
    const std::filesystem::path path = dir / "capture.json";
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw SeriesDescriptionError(path.string() + " cannot be read");
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    try {
        return parseCaptureJson(text);
    } catch (const SeriesDescriptionError& error) {
        throw SeriesDescriptionError(path.string() + ": " + error.what());
    }
}
