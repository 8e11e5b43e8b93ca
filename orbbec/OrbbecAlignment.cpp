// OrbbecAlignment: the SDK's Align filter, from a delivered frameset to the aligned colour and depth
// images that the programs keep.
#include "OrbbecAlignment.h"

#include "OrbbecFrameImages.h"

#include <stdexcept>

namespace {

const char* const kAlignmentFailedMessage = "Orbbec-D2C-Alignment fehlgeschlagen.";
const char* const kAlignedFrameMissingMessage = "Color- oder Depth-Frame fehlt nach D2C.";

} // namespace

OrbbecAlignment::OrbbecAlignment() : filter_(OB_STREAM_COLOR) {}

OrbbecRgbdFrame OrbbecAlignment::apply(const std::shared_ptr<ob::FrameSet>& frameset) const
{
    const std::shared_ptr<ob::Frame> processed = filter_.process(frameset);
    if (!processed) throw std::runtime_error(kAlignmentFailedMessage);
    const std::shared_ptr<ob::FrameSet> aligned = processed->as<ob::FrameSet>();

    const std::shared_ptr<ob::Frame> colorFrame = aligned->getFrame(OB_FRAME_COLOR);
    const std::shared_ptr<ob::Frame> depthFrame = aligned->getFrame(OB_FRAME_DEPTH);
    if (!colorFrame || !depthFrame) throw std::runtime_error(kAlignedFrameMissingMessage);
    const std::shared_ptr<ob::ColorFrame> color = colorFrame->as<ob::ColorFrame>();
    const std::shared_ptr<ob::DepthFrame> depth = depthFrame->as<ob::DepthFrame>();

    OrbbecRgbdFrame result;
    result.color = colorImageOf(*color);
    result.depthScale = depth->getValueScale();
    result.depth = depthImageOf(*depth, result.depthScale);
    return result;
}
