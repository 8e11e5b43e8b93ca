// Frame and frameset accessors.
#include "ApiCall.h"
#include "Frames.h"
#include "libobsensor/h/Frame.h"

using namespace kestrum_sim::orbbec;

namespace {

const ob_frame_t& videoFrame(const ob_frame* frame) {
    const ob_frame_t& video = *require(frame, "frame");
    if (video.type != OB_FRAME_COLOR && video.type != OB_FRAME_DEPTH) {
        throw SdkFailure("frame is not a video frame", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
    }
    return video;
}

}  // namespace

void ob_frame_add_ref(const ob_frame* frame, ob_error** error) {
    apiCall("ob_frame_add_ref", error, [&] { addFrameReference(require(frame, "frame")); });
}

void ob_delete_frame(const ob_frame* frame, ob_error** error) {
    apiCall("ob_delete_frame", error, [&] { releaseFrameReference(frame); });
}

uint64_t ob_frame_get_index(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_index", error, uint64_t{0}, [&] { return require(frame, "frame")->index; });
}

ob_format ob_frame_get_format(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_format", error, OB_FORMAT_UNKNOWN, [&] { return require(frame, "frame")->format; });
}

ob_frame_type ob_frame_get_type(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_type", error, OB_FRAME_UNKNOWN, [&] { return require(frame, "frame")->type; });
}

uint8_t* ob_frame_get_data(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_data", error, static_cast<uint8_t*>(nullptr), [&]() -> uint8_t* {
        auto* mutableFrame = const_cast<ob_frame_t*>(require(frame, "frame"));
        return mutableFrame->data.empty() ? nullptr : mutableFrame->data.data();
    });
}

uint32_t ob_frame_get_data_size(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_data_size", error, 0u,
                   [&] { return static_cast<uint32_t>(require(frame, "frame")->data.size()); });
}

uint32_t ob_video_frame_get_width(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_video_frame_get_width", error, 0u, [&] { return videoFrame(frame).width; });
}

uint32_t ob_video_frame_get_height(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_video_frame_get_height", error, 0u, [&] { return videoFrame(frame).height; });
}

float ob_depth_frame_get_value_scale(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_depth_frame_get_value_scale", error, 0.0f, [&] {
        const ob_frame_t& depth = *require(frame, "frame");
        if (depth.type != OB_FRAME_DEPTH) throw SdkFailure("frame is not a depth frame", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        return depth.valueScale;
    });
}

uint32_t ob_frameset_get_count(const ob_frame* frameset, ob_error** error) {
    return apiCall("ob_frameset_get_count", error, 0u,
                   [&] { return static_cast<uint32_t>(require(frameset, "frameset")->members.size()); });
}

ob_frame* ob_frameset_get_frame(const ob_frame* frameset, ob_frame_type frame_type, ob_error** error) {
    return apiCall("ob_frameset_get_frame", error, static_cast<ob_frame*>(nullptr), [&] {
        const ob_frame_t& set = *require(frameset, "frameset");
        if (set.type != OB_FRAME_SET) throw SdkFailure("frame is not a frameset", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        return const_cast<ob_frame*>(framesetMember(set, frame_type).release());
    });
}
