// The simulated SDK's frames: reference-counted, a frameset holding one reference to each of its frames.
#pragma once

#include "ProfileNode.h"
#include "libobsensor/h/ObTypes.h"

#include <atomic>
#include <map>
#include <memory>
#include <vector>

struct ob_frame_t {
    std::atomic<int> references{1};
    // The placeholder handed out beside a wait error lives for the whole process.
    bool immortal = false;
    ob_frame_type type = OB_FRAME_UNKNOWN;
    ob_format format = OB_FORMAT_UNKNOWN;
    uint64_t index = 0;
    uint64_t timestampUs = 0;         // the device's clock
    uint64_t systemTimestampUs = 0;   // the host's, at arrival
    uint64_t globalTimestampUs = 0;   // the capture moment on the host's clock, 0 when not enabled
    std::map<ob_frame_metadata_type, int64_t> metadata;
    uint32_t width = 0;
    uint32_t height = 0;
    float valueScale = 1.0f;
    std::shared_ptr<const kestrum_sim::orbbec::ProfileNode> profile;  // none until set
    std::vector<uint8_t> data;
    std::vector<const ob_frame_t*> members;   // frameset only
};

namespace kestrum_sim::orbbec {

void addFrameReference(const ob_frame_t* frame);
void releaseFrameReference(const ob_frame_t* frame);

struct FrameReferenceRelease {
    void operator()(const ob_frame_t* frame) const { releaseFrameReference(frame); }
};
// Owns one reference.
using FrameRef = std::unique_ptr<const ob_frame_t, FrameReferenceRelease>;

FrameRef newFrame(ob_frame_type type, ob_format format, uint64_t index);
// A colour frame of the profile's size and format from its pixels in BGR order.
FrameRef newColorFrame(uint64_t index, const std::shared_ptr<const ProfileNode>& profile, std::vector<uint8_t> bgr);
// The set takes over the references it is given.
FrameRef newFrameset(uint64_t index, std::vector<FrameRef> members);
// The set takes over the reference and releases a member of the same type.
void putFramesetMember(ob_frame_t& frameset, FrameRef member);
// A new reference to the member of that type, or none.
FrameRef framesetMember(const ob_frame_t& frameset, ob_frame_type type);

// An empty frameset that needs no release, returned beside a reported wait error.
ob_frame_t* waitErrorPlaceholder();

}  // namespace kestrum_sim::orbbec
