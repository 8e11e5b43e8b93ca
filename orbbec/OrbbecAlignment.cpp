// OrbbecAlignment: the SDK's Align filter, from a delivered frameset to the aligned colour and depth
// images that the programs keep.
#include "OrbbecAlignment.h"

#include "OrbbecFrameImages.h"

#include <optional>
#include <stdexcept>

namespace {

const char* const kAlignmentFailedMessage = "Orbbec-D2C-Alignment fehlgeschlagen.";
const char* const kAlignedFrameMissingMessage = "Color- oder Depth-Frame fehlt nach D2C.";

std::optional<int64_t> metadataOf(const ob::Frame& frame, OBFrameMetadataType type)
{
    return frame.hasMetadata(type) ? std::optional<int64_t>(frame.getMetadataValue(type)) : std::nullopt;
}

OrbbecFrameStamp stampOf(const ob::Frame& frame)
{
    return {frame.getIndex(),
            frame.getTimeStampUs(),
            frame.getSystemTimeStampUs(),
            frame.getGlobalTimeStampUs(),
            metadataOf(frame, OB_FRAME_METADATA_TYPE_EXPOSURE),
            metadataOf(frame, OB_FRAME_METADATA_TYPE_GAIN)};
}

} // namespace

OrbbecAlignment::OrbbecAlignment() : filter_(OB_STREAM_COLOR) {}

OrbbecRgbdFrame OrbbecAlignment::apply(const std::shared_ptr<ob::FrameSet>& frameset) const
{
    const std::shared_ptr<ob::Frame> processed = filter_.process(frameset);
    if (!processed) throw std::runtime_error(kAlignmentFailedMessage);
    const std::shared_ptr<ob::FrameSet> aligned = processed->as<ob::FrameSet>();

    const std::shared_ptr<ob::Frame> colorFrame = aligned->getFrame(OB_FRAME_COLOR);
    const std::shared_ptr<ob::Frame> depthFrame = aligned->getFrame(OB_FRAME_DEPTH);
    const std::shared_ptr<ob::Frame> inputColorFrame = frameset->getFrame(OB_FRAME_COLOR);
    const std::shared_ptr<ob::Frame> inputDepthFrame = frameset->getFrame(OB_FRAME_DEPTH);
    if (!colorFrame || !depthFrame || !inputColorFrame || !inputDepthFrame) {
        throw std::runtime_error(kAlignedFrameMissingMessage);
    }
    const std::shared_ptr<ob::ColorFrame> color = colorFrame->as<ob::ColorFrame>();
    const std::shared_ptr<ob::DepthFrame> depth = depthFrame->as<ob::DepthFrame>();

    OrbbecRgbdFrame result;
    result.color = colorImageOf(*color);
    result.depthScale = depth->getValueScale();
    result.depth = depthImageOf(*depth, result.depthScale);
    // The filter's frames are its own: their time is read from the frames they were made from. The SDK's
    // filter copies it (the real-sdk test checks that it keeps the timestamps), but the metadata it parses
    // from the device's frame need not come along.
    result.colorStamp = stampOf(*inputColorFrame);
    result.depthStamp = stampOf(*inputDepthFrame);
    return result;
}
