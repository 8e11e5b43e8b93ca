// ob::Config (which streams, and how they are put together) and ob::Pipeline
// (the streaming from one device).
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
    Config() : handle_(detail::call(ob_create_config)) {}
    explicit Config(ob_config_t* handle) : handle_(handle) {}
    ~Config() noexcept { detail::release(ob_delete_config, handle_); }
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    ob_config_t* getImpl() const { return handle_; }
    void enableStream(std::shared_ptr<const StreamProfile> streamProfile) const {
        detail::call(ob_config_enable_stream_with_stream_profile, handle_, streamProfile->getImpl());
    }
    void setAlignMode(OBAlignMode mode) const { detail::call(ob_config_set_align_mode, handle_, mode); }
    void setFrameAggregateOutputMode(OBFrameAggregateOutputMode mode) const {
        detail::call(ob_config_set_frame_aggregate_output_mode, handle_, mode);
    }

private:
    ob_config_t* handle_ = nullptr;
};

class Pipeline {
public:
    explicit Pipeline(std::shared_ptr<Device> device) : handle_(detail::call(ob_create_pipeline_with_device, device->getImpl())) {}
    ~Pipeline() noexcept { detail::release(ob_delete_pipeline, handle_); }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    void start(std::shared_ptr<Config> config = nullptr) const {
        detail::call(ob_pipeline_start_with_config, handle_, config ? config->getImpl() : nullptr);
    }
    void stop() const { detail::call(ob_pipeline_stop, handle_); }
    // nullptr when no frameset came within timeoutMs.
    std::shared_ptr<FrameSet> waitForFrameset(uint32_t timeoutMs = 1000) const {
        const ob_frame* frameset = detail::callOrNull(ob_pipeline_wait_for_frameset, handle_, timeoutMs);
        return frameset ? std::make_shared<FrameSet>(frameset) : nullptr;
    }
    std::shared_ptr<StreamProfileList> getStreamProfileList(OBSensorType sensorType) const {
        return std::make_shared<StreamProfileList>(detail::call(ob_pipeline_get_stream_profile_list, handle_, sensorType));
    }
    void enableFrameSync() const { detail::call(ob_pipeline_enable_frame_sync, handle_); }
    void disableFrameSync() const { detail::call(ob_pipeline_disable_frame_sync, handle_); }

private:
    ob_pipeline_t* handle_ = nullptr;
};

}  // namespace ob
