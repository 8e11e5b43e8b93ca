// ob::Config (which streams, how aggregated) and ob::Pipeline (streaming from one device).
#pragma once

#include "Device.hpp"
#include "Error.hpp"
#include "Frame.hpp"
#include "StreamProfile.hpp"
#include "Types.hpp"
#include "libobsensor/h/Pipeline.h"

#include <memory>

namespace ob {

class Config {
public:
    Config() {
        ob_error* error = nullptr;
        impl_           = ob_create_config(&error);
        Error::handle(&error);
    }
    explicit Config(ob_config_t* impl) : impl_(impl) {}
    ~Config() noexcept {
        ob_error* error = nullptr;
        ob_delete_config(impl_, &error);
        Error::handle(&error, false);
    }
    Config(const Config&)            = delete;
    Config& operator=(const Config&) = delete;

    ob_config_t* getImpl() const {
        return impl_;
    }
    void enableStream(std::shared_ptr<const StreamProfile> streamProfile) const {
        ob_error* error = nullptr;
        ob_config_enable_stream_with_stream_profile(impl_, streamProfile->getImpl(), &error);
        Error::handle(&error);
    }
    void setAlignMode(OBAlignMode mode) const {
        ob_error* error = nullptr;
        ob_config_set_align_mode(impl_, mode, &error);
        Error::handle(&error);
    }
    void setFrameAggregateOutputMode(OBFrameAggregateOutputMode mode) const {
        ob_error* error = nullptr;
        ob_config_set_frame_aggregate_output_mode(impl_, mode, &error);
        Error::handle(&error);
    }

private:
    ob_config_t* impl_ = nullptr;
};

class Pipeline {
public:
    explicit Pipeline(std::shared_ptr<Device> device) {
        ob_error* error = nullptr;
        impl_           = ob_create_pipeline_with_device(device->getImpl(), &error);
        Error::handle(&error);
    }
    ~Pipeline() noexcept {
        ob_error* error = nullptr;
        ob_delete_pipeline(impl_, &error);
        Error::handle(&error, false);
    }
    Pipeline(const Pipeline&)            = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    void start(std::shared_ptr<Config> config = nullptr) const {
        ob_error* error = nullptr;
        ob_pipeline_start_with_config(impl_, config ? config->getImpl() : nullptr, &error);
        Error::handle(&error);
    }
    void stop() const {
        ob_error* error = nullptr;
        ob_pipeline_stop(impl_, &error);
        Error::handle(&error);
    }
    // nullptr when no frameset came within timeoutMs.
    std::shared_ptr<FrameSet> waitForFrameset(uint32_t timeoutMs = 1000) const {
        ob_error* error    = nullptr;
        auto      frameSet = ob_pipeline_wait_for_frameset(impl_, timeoutMs, &error);
        if(frameSet == nullptr) {
            Error::handle(&error, false);
            return nullptr;
        }
        Error::handle(&error);
        return std::make_shared<FrameSet>(frameSet);
    }
    std::shared_ptr<StreamProfileList> getStreamProfileList(OBSensorType sensorType) const {
        ob_error* error = nullptr;
        auto      list  = ob_pipeline_get_stream_profile_list(impl_, sensorType, &error);
        Error::handle(&error);
        return std::make_shared<StreamProfileList>(list);
    }
    void enableFrameSync() const {
        ob_error* error = nullptr;
        ob_pipeline_enable_frame_sync(impl_, &error);
        Error::handle(&error);
    }
    void disableFrameSync() const {
        ob_error* error = nullptr;
        ob_pipeline_disable_frame_sync(impl_, &error);
        Error::handle(&error);
    }

private:
    ob_pipeline_t* impl_ = nullptr;
};

}  // namespace ob
