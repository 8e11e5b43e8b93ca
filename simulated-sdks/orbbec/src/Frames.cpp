// Reference counting of frames and framesets.
#include "Frames.h"

#include "ObjectRegistry.h"

#include <utility>

namespace kestrum_sim::orbbec {

void addFrameReference(const ob_frame_t* frame) {
    if (frame && !frame->immortal) const_cast<ob_frame_t*>(frame)->references.fetch_add(1);
}

void releaseFrameReference(const ob_frame_t* frame) {
    if (frame == nullptr || frame->immortal) return;
    auto* mutableFrame = const_cast<ob_frame_t*>(frame);
    if (mutableFrame->references.fetch_sub(1) != 1) return;
    for (const ob_frame_t* member : mutableFrame->members) releaseFrameReference(member);
    delete mutableFrame;
    noteReleased(OrbbecObjectKind::Frame);
}

FrameRef newFrame(ob_frame_type type, ob_format format, uint64_t index) {
    auto* frame = new ob_frame_t;
    frame->type = type;
    frame->format = format;
    frame->index = index;
    noteCreated(OrbbecObjectKind::Frame);
    return FrameRef(frame);
}

FrameRef newColorFrame(uint64_t index, const std::shared_ptr<const ProfileNode>& profile, std::vector<uint8_t> bgr) {
    const VideoProfile& values = profile->values;
    FrameRef frame = newFrame(OB_FRAME_COLOR, values.format, index);
    auto* color = const_cast<ob_frame_t*>(frame.get());
    color->width = values.width;
    color->height = values.height;
    color->profile = profile;
    color->data = std::move(bgr);
    if (values.format == OB_FORMAT_RGB) {
        for (size_t i = 0; i + 2 < color->data.size(); i += 3) std::swap(color->data[i], color->data[i + 2]);
    }
    return frame;
}

FrameRef newFrameset(uint64_t index, std::vector<FrameRef> members) {
    FrameRef frameset = newFrame(OB_FRAME_SET, OB_FORMAT_UNKNOWN, index);
    auto* set = const_cast<ob_frame_t*>(frameset.get());
    for (FrameRef& member : members) set->members.push_back(member.release());
    return frameset;
}

void putFramesetMember(ob_frame_t& frameset, FrameRef member) {
    for (const ob_frame_t*& present : frameset.members) {
        if (present->type == member->type) {
            releaseFrameReference(std::exchange(present, member.release()));
            return;
        }
    }
    frameset.members.push_back(member.release());
}

FrameRef framesetMember(const ob_frame_t& frameset, ob_frame_type type) {
    for (const ob_frame_t* member : frameset.members) {
        if (member->type == type) {
            addFrameReference(member);
            return FrameRef(member);
        }
    }
    return FrameRef();
}

ob_frame_t* waitErrorPlaceholder() {
    struct Placeholder {
        Placeholder() {
            frame.immortal = true;
            frame.type = OB_FRAME_SET;
        }
        ob_frame_t frame;
    };
    static Placeholder placeholder;
    return &placeholder.frame;
}

}  // namespace kestrum_sim::orbbec
