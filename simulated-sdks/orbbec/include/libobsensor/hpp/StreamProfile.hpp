// ob::StreamProfile, ob::VideoStreamProfile and ob::StreamProfileList.
#pragma once

#include "Error.hpp"
#include "Types.hpp"
#include "libobsensor/h/StreamProfile.h"

#include <memory>
#include <stdexcept>
#include <typeinfo>

namespace ob {

class StreamProfile : public std::enable_shared_from_this<StreamProfile> {
public:
    StreamProfile(const StreamProfile&)            = delete;
    StreamProfile& operator=(const StreamProfile&) = delete;
    virtual ~StreamProfile() noexcept {
        ob_error* error = nullptr;
        ob_delete_stream_profile(impl_, &error);
        Error::handle(&error, false);
    }

    const ob_stream_profile* getImpl() const {
        return impl_;
    }
    OBFormat getFormat() const {
        ob_error* error  = nullptr;
        auto      format = ob_stream_profile_get_format(impl_, &error);
        Error::handle(&error);
        return format;
    }
    OBStreamType getType() const {
        ob_error* error = nullptr;
        auto      type  = ob_stream_profile_get_type(impl_, &error);
        Error::handle(&error);
        return type;
    }

    template <typename T> bool is() const;
    template <typename T> std::shared_ptr<T> as() {
        if(!is<T>()) {
            throw std::runtime_error("Unsupported operation. Object's type is not the required type.");
        }
        return std::dynamic_pointer_cast<T>(shared_from_this());
    }

protected:
    explicit StreamProfile(const ob_stream_profile_t* impl) : impl_(impl) {}

    const ob_stream_profile_t* impl_ = nullptr;
};

class VideoStreamProfile : public StreamProfile {
public:
    explicit VideoStreamProfile(const ob_stream_profile_t* impl) : StreamProfile(impl) {}
    ~VideoStreamProfile() noexcept override = default;

    uint32_t getFps() const {
        return number(&ob_video_stream_profile_get_fps);
    }
    uint32_t getWidth() const {
        return number(&ob_video_stream_profile_get_width);
    }
    uint32_t getHeight() const {
        return number(&ob_video_stream_profile_get_height);
    }
    OBCameraIntrinsic getIntrinsic() const {
        ob_error* error     = nullptr;
        auto      intrinsic = ob_video_stream_profile_get_intrinsic(impl_, &error);
        Error::handle(&error);
        return intrinsic;
    }

private:
    uint32_t number(uint32_t (*getter)(const ob_stream_profile*, ob_error**)) const {
        ob_error* error = nullptr;
        auto      value = getter(impl_, &error);
        Error::handle(&error);
        return value;
    }
};

template <typename T> bool StreamProfile::is() const {
    switch(getType()) {
    case OB_STREAM_VIDEO:
    case OB_STREAM_IR:
    case OB_STREAM_IR_LEFT:
    case OB_STREAM_IR_RIGHT:
    case OB_STREAM_COLOR:
    case OB_STREAM_DEPTH:
    case OB_STREAM_RAW_PHASE:
    case OB_STREAM_CONFIDENCE:
        return typeid(T) == typeid(VideoStreamProfile);
    default:
        return false;
    }
}

class StreamProfileFactory {
public:
    static std::shared_ptr<StreamProfile> create(const ob_stream_profile_t* impl) {
        ob_error*  error = nullptr;
        const auto type  = ob_stream_profile_get_type(impl, &error);
        Error::handle(&error);
        switch(type) {
        case OB_STREAM_VIDEO:
        case OB_STREAM_IR:
        case OB_STREAM_IR_LEFT:
        case OB_STREAM_IR_RIGHT:
        case OB_STREAM_COLOR:
        case OB_STREAM_DEPTH:
        case OB_STREAM_CONFIDENCE:
            return std::make_shared<VideoStreamProfile>(impl);
        default: {
            ob_error* unsupported =
                ob_create_error(OB_STATUS_ERROR, "Unsupported stream type.", "StreamProfileFactory::create", "", OB_EXCEPTION_TYPE_INVALID_VALUE);
            Error::handle(&unsupported);
            return nullptr;
        }
        }
    }
};

class StreamProfileList {
public:
    explicit StreamProfileList(ob_stream_profile_list_t* impl) : impl_(impl) {}
    ~StreamProfileList() noexcept {
        ob_error* error = nullptr;
        ob_delete_stream_profile_list(impl_, &error);
        Error::handle(&error, false);
    }
    StreamProfileList(const StreamProfileList&)            = delete;
    StreamProfileList& operator=(const StreamProfileList&) = delete;

    uint32_t getCount() const {
        ob_error* error = nullptr;
        auto      count = ob_stream_profile_list_get_count(impl_, &error);
        Error::handle(&error);
        return count;
    }
    std::shared_ptr<StreamProfile> getProfile(uint32_t index) const {
        ob_error* error   = nullptr;
        auto      profile = ob_stream_profile_list_get_profile(impl_, static_cast<int>(index), &error);
        Error::handle(&error);
        return StreamProfileFactory::create(profile);
    }
    // The first matching profile. The stand-in answers a profile it does not
    // offer with no profile (nullptr); the real SDK reports an error instead.
    std::shared_ptr<VideoStreamProfile> getVideoStreamProfile(int width = OB_WIDTH_ANY, int height = OB_HEIGHT_ANY,
                                                              OBFormat format = OB_FORMAT_ANY, int fps = OB_FPS_ANY) const {
        ob_error* error   = nullptr;
        auto      profile = ob_stream_profile_list_get_video_stream_profile(impl_, width, height, format, fps, &error);
        Error::handle(&error);
        if(profile == nullptr) {
            return nullptr;
        }
        return StreamProfileFactory::create(profile)->as<VideoStreamProfile>();
    }

private:
    const ob_stream_profile_list_t* impl_ = nullptr;
};

}  // namespace ob
