// Frames and framesets: made by the caller, and their accessors.
#include "ApiCall.h"
#include "Frames.h"
#include "Handles.h"
#include "libobsensor/h/Frame.h"

using namespace kestrum_sim::orbbec;

namespace {

// The SDK's text for an operation on a frame of the wrong kind.
const char* const kWrongKindMessage = "unsupported operation, object's type is not require type";

ob_frame_t& frameOfType(ob_frame* frame, ob_frame_type type) {
    ob_frame_t& known = *require(frame, "frame");
    if (known.type != type) throw SdkFailure(kWrongKindMessage, OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
    return known;
}

uint32_t bytesPerPixel(ob_format format) {
    switch (format) {
    case OB_FORMAT_Y8:
        return 1;
    case OB_FORMAT_Y16:
        return 2;
    case OB_FORMAT_RGB:
    case OB_FORMAT_BGR:
        return 3;
    default:
        throw SdkFailure("simulated SDK makes no frames of that format", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
    }
}

const ob_frame_t& videoFrame(const ob_frame* frame) {
    const ob_frame_t& video = *require(frame, "frame");
    if (video.type != OB_FRAME_COLOR && video.type != OB_FRAME_DEPTH) {
        throw SdkFailure("frame is not a video frame", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
    }
    return video;
}

}  // namespace

ob_frame* ob_create_video_frame(ob_frame_type frame_type, ob_format format, uint32_t width, uint32_t height, uint32_t stride_bytes,
                                ob_error** error) {
    return apiCall("ob_create_video_frame", error, static_cast<ob_frame*>(nullptr), [&] {
        if (frame_type != OB_FRAME_COLOR && frame_type != OB_FRAME_DEPTH) {
            throw SdkFailure("simulated SDK makes colour and depth frames only", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        }
        const uint32_t rowBytes = width * bytesPerPixel(format);
        // Align passes colour on as it is, but reads depth: only that must have packed rows here.
        const bool padded = stride_bytes != 0 && stride_bytes != rowBytes;
        if (padded && (frame_type != OB_FRAME_COLOR || stride_bytes < rowBytes)) {
            throw SdkFailure("simulated SDK makes colour frames with padded rows and depth frames with packed rows only",
                             OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        }
        FrameRef frame = newFrame(frame_type, format, 0);
        auto* video = const_cast<ob_frame_t*>(frame.get());
        video->width = width;
        video->height = height;
        video->data.assign(static_cast<size_t>(padded ? stride_bytes : rowBytes) * height, 0);
        return const_cast<ob_frame*>(frame.release());
    });
}

ob_frame* ob_create_frameset(ob_error** error) {
    return apiCall("ob_create_frameset", error, static_cast<ob_frame*>(nullptr),
                   [] { return const_cast<ob_frame*>(newFrameset(0, {}).release()); });
}

void ob_frame_add_ref(const ob_frame* frame, ob_error** error) {
    apiCall("ob_frame_add_ref", error, [&] { addFrameReference(require(frame, "frame")); });
}

void ob_delete_frame(const ob_frame* frame, ob_error** error) {
    apiCall("ob_delete_frame", error, [&] { releaseFrameReference(frame); });
}

uint64_t ob_frame_get_index(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_index", error, uint64_t{0}, [&] { return require(frame, "frame")->index; });
}

uint64_t ob_frame_get_timestamp_us(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_timestamp_us", error, uint64_t{0}, [&] { return require(frame, "frame")->timestampUs; });
}

void ob_frame_set_timestamp_us(ob_frame* frame, uint64_t timestamp_us, ob_error** error) {
    apiCall("ob_frame_set_timestamp_us", error, [&] { require(frame, "frame")->timestampUs = timestamp_us; });
}

uint64_t ob_frame_get_system_timestamp_us(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_system_timestamp_us", error, uint64_t{0},
                   [&] { return require(frame, "frame")->systemTimestampUs; });
}

void ob_frame_set_system_timestamp_us(ob_frame* frame, uint64_t system_timestamp_us, ob_error** error) {
    apiCall("ob_frame_set_system_timestamp_us", error,
            [&] { require(frame, "frame")->systemTimestampUs = system_timestamp_us; });
}

uint64_t ob_frame_get_global_timestamp_us(const ob_frame* frame, ob_error** error) {
    return apiCall("ob_frame_get_global_timestamp_us", error, uint64_t{0},
                   [&] { return require(frame, "frame")->globalTimestampUs; });
}

bool ob_frame_has_metadata(const ob_frame* frame, ob_frame_metadata_type type, ob_error** error) {
    return apiCall("ob_frame_has_metadata", error, false, [&] { return require(frame, "frame")->metadata.count(type) != 0; });
}

int64_t ob_frame_get_metadata_value(const ob_frame* frame, ob_frame_metadata_type type, ob_error** error) {
    return apiCall("ob_frame_get_metadata_value", error, int64_t{0}, [&] {
        const auto& metadata = require(frame, "frame")->metadata;
        const auto found = metadata.find(type);
        if (found == metadata.end()) throw SdkFailure("the frame carries no metadata of that type", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        return found->second;
    });
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

void ob_frame_set_stream_profile(ob_frame* frame, const ob_stream_profile* stream_profile, ob_error** error) {
    apiCall("ob_frame_set_stream_profile", error,
            [&] { require(frame, "frame")->profile = require(stream_profile, "stream profile")->node; });
}

// The stand-in keeps all 16 bits of its depth, whatever the caller says.
void ob_video_frame_set_pixel_available_bit_size(ob_frame* frame, uint8_t, ob_error** error) {
    apiCall("ob_video_frame_set_pixel_available_bit_size", error, [&] { videoFrame(frame); });
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

void ob_depth_frame_set_value_scale(ob_frame* frame, float value_scale, ob_error** error) {
    apiCall("ob_depth_frame_set_value_scale", error, [&] {
        frameOfType(frame, OB_FRAME_DEPTH).valueScale = value_scale;
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

void ob_frameset_push_frame(ob_frame* frameset, const ob_frame* frame, ob_error** error) {
    apiCall("ob_frameset_push_frame", error, [&] {
        ob_frame_t& set = frameOfType(frameset, OB_FRAME_SET);
        addFrameReference(require(frame, "frame"));
        putFramesetMember(set, FrameRef(frame));
    });
}
