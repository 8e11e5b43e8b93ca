// ob::Frame and its kinds: VideoFrame, ColorFrame, DepthFrame and FrameSet.
#pragma once

#include "Error.hpp"
#include "Types.hpp"
#include "libobsensor/h/Frame.h"

#include <memory>
#include <stdexcept>
#include <typeinfo>

namespace ob {

// Each wrapper owns one reference to its frame.
class Frame : public std::enable_shared_from_this<Frame> {
public:
    explicit Frame(const ob_frame* impl) : impl_(impl) {}
    Frame(const Frame&)            = delete;
    Frame& operator=(const Frame&) = delete;
    virtual ~Frame() noexcept {
        if(impl_) {
            ob_error* error = nullptr;
            ob_delete_frame(impl_, &error);
            Error::handle(&error, false);
        }
    }

    const ob_frame* getImpl() const {
        return impl_;
    }
    virtual OBFrameType getType() const {
        ob_error* error = nullptr;
        auto      type  = ob_frame_get_type(impl_, &error);
        Error::handle(&error);
        return type;
    }
    virtual OBFormat getFormat() const {
        ob_error* error  = nullptr;
        auto      format = ob_frame_get_format(impl_, &error);
        Error::handle(&error);
        return format;
    }
    virtual uint64_t getIndex() const {
        ob_error* error = nullptr;
        auto      index = ob_frame_get_index(impl_, &error);
        Error::handle(&error);
        return index;
    }
    virtual uint8_t* getData() const {
        ob_error* error = nullptr;
        auto      data  = ob_frame_get_data(impl_, &error);
        Error::handle(&error);
        return data;
    }
    virtual uint32_t getDataSize() const {
        ob_error* error = nullptr;
        auto      size  = ob_frame_get_data_size(impl_, &error);
        Error::handle(&error);
        return size;
    }

    template <typename T> bool is() const;
    // A second wrapper of the requested kind around the same frame.
    template <typename T> std::shared_ptr<T> as() {
        if(!is<T>()) {
            throw std::runtime_error("unsupported operation, object's type is not require type");
        }
        ob_error* error = nullptr;
        ob_frame_add_ref(impl_, &error);
        Error::handle(&error);
        return std::make_shared<T>(impl_);
    }

protected:
    const ob_frame* impl_ = nullptr;
};

class VideoFrame : public Frame {
public:
    explicit VideoFrame(const ob_frame* impl) : Frame(impl) {}
    ~VideoFrame() noexcept override = default;

    uint32_t getWidth() const {
        ob_error* error = nullptr;
        auto      width = ob_video_frame_get_width(impl_, &error);
        Error::handle(&error);
        return width;
    }
    uint32_t getHeight() const {
        ob_error* error  = nullptr;
        auto      height = ob_video_frame_get_height(impl_, &error);
        Error::handle(&error);
        return height;
    }
};

class ColorFrame : public VideoFrame {
public:
    explicit ColorFrame(const ob_frame* impl) : VideoFrame(impl) {}
    ~ColorFrame() noexcept override = default;
};

class DepthFrame : public VideoFrame {
public:
    explicit DepthFrame(const ob_frame* impl) : VideoFrame(impl) {}
    ~DepthFrame() noexcept override = default;

    // Raw value times this scale gives millimetres.
    float getValueScale() const {
        ob_error* error = nullptr;
        auto      scale = ob_depth_frame_get_value_scale(impl_, &error);
        Error::handle(&error);
        return scale;
    }
};

class FrameSet : public Frame {
public:
    explicit FrameSet(const ob_frame* impl) : Frame(impl) {}
    ~FrameSet() noexcept override = default;

    uint32_t getCount() const {
        ob_error* error = nullptr;
        auto      count = ob_frameset_get_count(impl_, &error);
        Error::handle(&error);
        return count;
    }
    // nullptr when the set holds no frame of that type.
    std::shared_ptr<Frame> getFrame(OBFrameType frameType) const {
        ob_error* error = nullptr;
        auto      frame = ob_frameset_get_frame(impl_, frameType, &error);
        if(frame == nullptr) {
            Error::handle(&error, false);
            return nullptr;
        }
        Error::handle(&error);
        return std::make_shared<Frame>(frame);
    }
};

template <typename T> bool Frame::is() const {
    switch(getType()) {
    case OB_FRAME_DEPTH:
        return typeid(T) == typeid(DepthFrame) || typeid(T) == typeid(VideoFrame);
    case OB_FRAME_COLOR:
        return typeid(T) == typeid(ColorFrame) || typeid(T) == typeid(VideoFrame);
    case OB_FRAME_IR:
    case OB_FRAME_IR_LEFT:
    case OB_FRAME_IR_RIGHT:
        return typeid(T) == typeid(VideoFrame);
    case OB_FRAME_SET:
        return typeid(T) == typeid(FrameSet);
    default:
        return false;
    }
}

}  // namespace ob
