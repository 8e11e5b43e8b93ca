// ob::StreamProfile (one stream's format and type), ob::VideoStreamProfile (its
// size, rate and intrinsics) and ob::StreamProfileList.
#pragma once

#include "Error.hpp"
#include "Types.hpp"
#include "libobsensor/h/StreamProfile.h"

#include <memory>
#include <stdexcept>
#include <type_traits>

namespace ob {

class StreamProfile : public std::enable_shared_from_this<StreamProfile> {
public:
    StreamProfile(const StreamProfile&) = delete;
    StreamProfile& operator=(const StreamProfile&) = delete;
    virtual ~StreamProfile() noexcept { detail::release(ob_delete_stream_profile, handle_); }

    const ob_stream_profile* getImpl() const { return handle_; }
    OBFormat getFormat() const { return detail::call(ob_stream_profile_get_format, handle_); }
    OBStreamType getType() const { return detail::call(ob_stream_profile_get_type, handle_); }
    void bindExtrinsicTo(std::shared_ptr<StreamProfile> target, const OBExtrinsic& extrinsic) {
        detail::call(ob_stream_profile_set_extrinsic_to, const_cast<ob_stream_profile_t*>(handle_), target->getImpl(), extrinsic);
    }

    template <typename T> bool is() const;
    // The same object seen as T; throws when it is no T.
    template <typename T> std::shared_ptr<T> as() {
        if (!is<T>()) throw std::runtime_error("Unsupported operation. Object's type is not the required type.");
        return std::dynamic_pointer_cast<T>(shared_from_this());
    }

protected:
    explicit StreamProfile(const ob_stream_profile_t* handle) : handle_(handle) {}

    const ob_stream_profile_t* handle_ = nullptr;
};

class VideoStreamProfile : public StreamProfile {
public:
    explicit VideoStreamProfile(const ob_stream_profile_t* handle) : StreamProfile(handle) {}

    uint32_t getFps() const { return detail::call(ob_video_stream_profile_get_fps, handle_); }
    uint32_t getWidth() const { return detail::call(ob_video_stream_profile_get_width, handle_); }
    uint32_t getHeight() const { return detail::call(ob_video_stream_profile_get_height, handle_); }
    OBCameraIntrinsic getIntrinsic() const { return detail::call(ob_video_stream_profile_get_intrinsic, handle_); }
    void setIntrinsic(const OBCameraIntrinsic& intrinsic) {
        detail::call(ob_video_stream_profile_set_intrinsic, const_cast<ob_stream_profile_t*>(handle_), intrinsic);
    }
    void setDistortion(const OBCameraDistortion& distortion) {
        detail::call(ob_video_stream_profile_set_distortion, const_cast<ob_stream_profile_t*>(handle_), distortion);
    }
};

// Raw phase counts as a video stream here, though the factory below makes no profile of it.
template <typename T> bool StreamProfile::is() const {
    const OBStreamType type = getType();
    if (!std::is_same_v<std::remove_cv_t<T>, VideoStreamProfile>) return false;
    return type == OB_STREAM_VIDEO || type == OB_STREAM_IR || type == OB_STREAM_IR_LEFT || type == OB_STREAM_IR_RIGHT ||
           type == OB_STREAM_COLOR || type == OB_STREAM_DEPTH || type == OB_STREAM_RAW_PHASE || type == OB_STREAM_CONFIDENCE;
}

// Wraps a profile from the SDK in the class that fits its stream type.
class StreamProfileFactory {
public:
    static std::shared_ptr<StreamProfile> create(const ob_stream_profile_t* handle) {
        switch (detail::call(ob_stream_profile_get_type, handle)) {
        case OB_STREAM_VIDEO:
        case OB_STREAM_IR:
        case OB_STREAM_IR_LEFT:
        case OB_STREAM_IR_RIGHT:
        case OB_STREAM_COLOR:
        case OB_STREAM_DEPTH:
        case OB_STREAM_CONFIDENCE:
            return std::make_shared<VideoStreamProfile>(handle);
        default:
            break;
        }
        // Reported the way the SDK reports its own failures.
        ob_error* unsupported = ob_create_error(OB_STATUS_ERROR, "Unsupported stream type.", "StreamProfileFactory::create", "",
                                                OB_EXCEPTION_TYPE_INVALID_VALUE);
        Error::handle(&unsupported);
        return nullptr;
    }
};

class StreamProfileList {
public:
    explicit StreamProfileList(ob_stream_profile_list_t* handle) : handle_(handle) {}
    ~StreamProfileList() noexcept { detail::release(ob_delete_stream_profile_list, handle_); }
    StreamProfileList(const StreamProfileList&) = delete;
    StreamProfileList& operator=(const StreamProfileList&) = delete;

    uint32_t getCount() const { return detail::call(ob_stream_profile_list_get_count, handle_); }
    std::shared_ptr<StreamProfile> getProfile(uint32_t index) const {
        return StreamProfileFactory::create(detail::call(ob_stream_profile_list_get_profile, handle_, static_cast<int>(index)));
    }
    // The first matching profile. A profile it does not offer the stand-in answers
    // with nullptr, where the real SDK reports an error.
    std::shared_ptr<VideoStreamProfile> getVideoStreamProfile(int width = OB_WIDTH_ANY, int height = OB_HEIGHT_ANY,
                                                              OBFormat format = OB_FORMAT_ANY, int fps = OB_FPS_ANY) const {
        const ob_stream_profile_t* match =
            detail::call(ob_stream_profile_list_get_video_stream_profile, handle_, width, height, format, fps);
        if (match == nullptr) return nullptr;
        return StreamProfileFactory::create(match)->as<VideoStreamProfile>();
    }

private:
    const ob_stream_profile_list_t* handle_ = nullptr;
};

}  // namespace ob
