// ob::Frame and its kinds (VideoFrame, ColorFrame, DepthFrame, FrameSet), and ob::FrameFactory.
#pragma once

#include "Error.hpp"
#include "StreamProfile.hpp"
#include "Types.hpp"
#include "libobsensor/h/Frame.h"

#include <memory>
#include <stdexcept>
#include <type_traits>

namespace ob {

// Frames are reference-counted by the SDK; each wrapper holds one reference and
// drops it when destroyed.
class Frame : public std::enable_shared_from_this<Frame> {
public:
    explicit Frame(const ob_frame* handle) : handle_(handle) {}
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    virtual ~Frame() noexcept {
        if (handle_ != nullptr) detail::release(ob_delete_frame, handle_);
    }

    const ob_frame* getImpl() const { return handle_; }
    virtual OBFrameType getType() const { return detail::call(ob_frame_get_type, handle_); }
    virtual OBFormat getFormat() const { return detail::call(ob_frame_get_format, handle_); }
    virtual uint64_t getIndex() const { return detail::call(ob_frame_get_index, handle_); }
    uint64_t getTimeStampUs() const { return detail::call(ob_frame_get_timestamp_us, handle_); }
    uint64_t getSystemTimeStampUs() const { return detail::call(ob_frame_get_system_timestamp_us, handle_); }
    uint64_t getGlobalTimeStampUs() const { return detail::call(ob_frame_get_global_timestamp_us, handle_); }
    bool hasMetadata(OBFrameMetadataType type) const { return detail::call(ob_frame_has_metadata, handle_, type); }
    int64_t getMetadataValue(OBFrameMetadataType type) const { return detail::call(ob_frame_get_metadata_value, handle_, type); }
    void setSystemTimestampUs(uint64_t systemTimestampUs) {
        detail::call(ob_frame_set_system_timestamp_us, const_cast<ob_frame*>(handle_), systemTimestampUs);
    }
    virtual uint8_t* getData() const { return detail::call(ob_frame_get_data, handle_); }
    virtual uint32_t getDataSize() const { return detail::call(ob_frame_get_data_size, handle_); }
    void setStreamProfile(std::shared_ptr<const StreamProfile> profile) {
        detail::call(ob_frame_set_stream_profile, const_cast<ob_frame*>(handle_), profile->getImpl());
    }

    template <typename T> bool is() const;
    // A new wrapper of kind T, with a reference of its own, around the same frame.
    template <typename T> std::shared_ptr<T> as() {
        if (!is<T>()) throw std::runtime_error("unsupported operation, object's type is not require type");
        detail::call(ob_frame_add_ref, handle_);
        return std::make_shared<T>(handle_);
    }

protected:
    const ob_frame* handle_ = nullptr;
};

class VideoFrame : public Frame {
public:
    explicit VideoFrame(const ob_frame* handle) : Frame(handle) {}

    uint32_t getWidth() const { return detail::call(ob_video_frame_get_width, handle_); }
    uint32_t getHeight() const { return detail::call(ob_video_frame_get_height, handle_); }
    void setPixelAvailableBitSize(uint8_t bitSize) {
        detail::call(ob_video_frame_set_pixel_available_bit_size, const_cast<ob_frame*>(handle_), bitSize);
    }
};

class ColorFrame : public VideoFrame {
public:
    explicit ColorFrame(const ob_frame* handle) : VideoFrame(handle) {}
};

class DepthFrame : public VideoFrame {
public:
    explicit DepthFrame(const ob_frame* handle) : VideoFrame(handle) {}

    // A raw depth value times this scale is millimetres.
    float getValueScale() const { return detail::call(ob_depth_frame_get_value_scale, handle_); }
    void setValueScale(float valueScale) { detail::call(ob_depth_frame_set_value_scale, const_cast<ob_frame*>(handle_), valueScale); }
};

class FrameSet : public Frame {
public:
    explicit FrameSet(const ob_frame* handle) : Frame(handle) {}

    uint32_t getCount() const { return detail::call(ob_frameset_get_count, handle_); }
    // nullptr when the set holds no frame of that type.
    std::shared_ptr<Frame> getFrame(OBFrameType frameType) const {
        const ob_frame* frame = detail::callOrNull(ob_frameset_get_frame, handle_, frameType);
        return frame ? std::make_shared<Frame>(frame) : nullptr;
    }
    void pushFrame(std::shared_ptr<const Frame> frame) const {
        detail::call(ob_frameset_push_frame, const_cast<ob_frame*>(handle_), frame->getImpl());
    }
};

// Colour and depth frames are also video frames; infrared ones are only that.
template <typename T> bool Frame::is() const {
    using Kind = std::remove_cv_t<T>;
    const OBFrameType type = getType();
    if (std::is_same_v<Kind, FrameSet>) return type == OB_FRAME_SET;
    if (std::is_same_v<Kind, ColorFrame>) return type == OB_FRAME_COLOR;
    if (std::is_same_v<Kind, DepthFrame>) return type == OB_FRAME_DEPTH;
    if (std::is_same_v<Kind, VideoFrame>) {
        return type == OB_FRAME_COLOR || type == OB_FRAME_DEPTH || type == OB_FRAME_IR || type == OB_FRAME_IR_LEFT ||
               type == OB_FRAME_IR_RIGHT;
    }
    return false;
}

// Frames and framesets of no device, for the filters.
class FrameFactory {
public:
    static std::shared_ptr<VideoFrame> createVideoFrame(OBFrameType frameType, OBFormat format, uint32_t width, uint32_t height,
                                                        uint32_t stride = 0) {
        const auto frame = std::make_shared<Frame>(detail::call(ob_create_video_frame, frameType, format, width, height, stride));
        return frame->as<VideoFrame>();
    }
    static std::shared_ptr<FrameSet> createFrameSet() { return std::make_shared<FrameSet>(detail::call(ob_create_frameset)); }
};

// The device timestamp's setter, beside the factory as in the real SDK.
class FrameHelper : public FrameFactory {
public:
    static void setFrameDeviceTimestampUs(std::shared_ptr<Frame> frame, uint64_t deviceTimestampUs) {
        detail::call(ob_frame_set_timestamp_us, const_cast<ob_frame*>(frame->getImpl()), deviceTimestampUs);
    }
};

}  // namespace ob
