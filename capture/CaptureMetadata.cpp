// capture.json, the summary of a completed test series, in its Kinect v2 and Orbbec variants.
#include "CaptureMetadata.h"

#include "JsonEscape.h"
#include "KinectGeometry.h"

#include <iomanip>
#include <sstream>

namespace {

// Members up to and including the rates; the same in both variants.
void writeStatistics(std::ostream& json, const CaptureStatistics& statistics)
{
    json << "  \"requestedDurationMs\": " << statistics.requestedDurationMs << ",\n"
         << "  \"actualDurationMs\": " << statistics.actualDurationMs << ",\n"
         << "  \"requestedSampleFps\": " << statistics.requestedSampleFps << ",\n"
         << "  \"receivedFrames\": " << statistics.receivedFrames << ",\n"
         << "  \"savedFrames\": " << statistics.savedFrames << ",\n"
         << "  \"missingFrames\": " << statistics.missingFrames << ",\n"
         << "  \"incompleteFrames\": " << statistics.incompleteFrames << ",\n"
         << "  \"skippedFrames\": " << statistics.skippedFrames << ",\n"
         << "  \"receivedFps\": " << statistics.receivedFps << ",\n"
         << "  \"savedFps\": " << statistics.savedFps << ",\n";
}

// The last member; floats are widened so the digits are those of the exact value.
void writeCamera(std::ostream& json, const PinholeIntrinsics& camera)
{
    json << "  \"camera\": {\n"
         << "    \"fx\": " << static_cast<double>(camera.fx) << ",\n"
         << "    \"fy\": " << static_cast<double>(camera.fy) << ",\n"
         << "    \"cx\": " << static_cast<double>(camera.cx) << ",\n"
         << "    \"cy\": " << static_cast<double>(camera.cy) << "\n"
         << "  }\n"
         << "}\n";
}

} // namespace

std::string kinectCaptureJson(const CaptureStatistics& statistics, const KinectMetadata& kinect)
{
    std::ostringstream json;
    json << std::fixed << std::setprecision(3);
    json << "{\n"
         << "  \"serial\": \"" << escapeJson(kinect.serial) << "\",\n";
    writeStatistics(json, statistics);
    json << "  \"width\": " << kKinectDepthWidth << ",\n"
         << "  \"height\": " << kKinectDepthHeight << ",\n"
         << "  \"depthFormat\": \"uint16-little-endian-mm\",\n";
    writeCamera(json, kinect.depthCamera);
    return json.str();
}

std::string orbbecCaptureJson(const CaptureStatistics& statistics, const OrbbecMetadata& orbbec)
{
    std::ostringstream json;
    json << std::fixed << std::setprecision(6);
    json << "{\n"
         << "  \"backend\": \"orbbec\",\n"
         << "  \"device\": \"" << escapeJson(orbbec.device) << "\",\n"
         << "  \"serial\": \"" << escapeJson(orbbec.serial) << "\",\n"
         << "  \"firmware\": \"" << escapeJson(orbbec.firmware) << "\",\n"
         << "  \"connection\": \"" << escapeJson(orbbec.connection) << "\",\n";
    writeStatistics(json, statistics);
    json << "  \"width\": " << orbbec.width << ",\n"
         << "  \"height\": " << orbbec.height << ",\n"
         << "  \"colorWidth\": " << orbbec.width << ",\n"
         << "  \"colorHeight\": " << orbbec.height << ",\n"
         << "  \"depthFormat\": \"uint16-little-endian-mm\",\n"
         << "  \"depthScale\": " << static_cast<double>(orbbec.depthScale) << ",\n"
         << "  \"depthCoordinateSystem\": \"color\",\n"
         << "  \"colorDepthMapRequired\": false,\n"
         << "  \"frameSync\": " << (orbbec.frameSync ? "true" : "false") << ",\n";
    writeCamera(json, orbbec.colorCamera);
    return json.str();
}
