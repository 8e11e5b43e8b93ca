// The pipeline, which streams the configured profiles, and its configuration.
#include "ApiCall.h"
#include "Handles.h"
#include "libobsensor/h/Pipeline.h"

using namespace kestrum_sim::orbbec;

ob_pipeline* ob_create_pipeline_with_device(const ob_device* dev, ob_error** error) {
    return apiCall("ob_create_pipeline_with_device", error, static_cast<ob_pipeline*>(nullptr), [&] {
        auto* pipeline = new ob_pipeline;
        pipeline->camera = require(dev, "device")->camera;
        pipeline->globalTimestamp = dev->globalTimestamp;
        return pipeline;
    });
}

void ob_delete_pipeline(ob_pipeline* pipeline, ob_error** error) {
    apiCall("ob_delete_pipeline", error, [&] { delete pipeline; });
}

void ob_pipeline_start_with_config(ob_pipeline* pipeline, const ob_config* config, ob_error** error) {
    apiCall("ob_pipeline_start_with_config", error, [&] {
        require(pipeline, "pipeline");
        require(config, "config");
        std::lock_guard<std::mutex> lock(pipeline->mutex);
        if (pipeline->stream) throw SdkFailure("pipeline already started", OB_EXCEPTION_TYPE_WRONG_API_CALL_SEQUENCE);
        if (!config->color && !config->depth) throw SdkFailure("no stream enabled in the config", OB_EXCEPTION_TYPE_INVALID_VALUE);
        // Alignment inside the pipeline is not simulated; kestrum aligns with the Align filter.
        if (config->alignMode != ALIGN_DISABLE) {
            throw SdkFailure("simulated SDK: align mode other than ALIGN_DISABLE is not simulated", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        }
        if (pipeline->camera->fails("start")) {
            throw SdkFailure("simulated failure: the pipeline could not start its streams (fail=start)", OB_EXCEPTION_TYPE_IO);
        }
        pipeline->stream = std::make_shared<FramesetStream>(*pipeline->camera, config->color, config->depth,
                                                            pipeline->globalTimestamp->load());
    });
}

void ob_pipeline_stop(ob_pipeline* pipeline, ob_error** error) {
    apiCall("ob_pipeline_stop", error, [&] {
        require(pipeline, "pipeline");
        if (pipeline->camera->fails("stop")) {
            throw SdkFailure("simulated failure: the pipeline could not stop its streams (fail=stop)", OB_EXCEPTION_TYPE_IO);
        }
        std::shared_ptr<FramesetStream> stopped;
        std::lock_guard<std::mutex> lock(pipeline->mutex);
        stopped.swap(pipeline->stream);
    });
}

ob_frame* ob_pipeline_wait_for_frameset(ob_pipeline* pipeline, uint32_t timeout_ms, ob_error** error) {
    // Beside an error comes a placeholder frameset (which needs no release), so
    // that the C++ wrapper, which drops errors that come without a frameset, raises it.
    return apiCall("ob_pipeline_wait_for_frameset", error, waitErrorPlaceholder(), [&]() -> ob_frame* {
        require(pipeline, "pipeline");
        const auto timeout = std::chrono::milliseconds(timeout_ms);
        std::shared_ptr<FramesetStream> stream;
        {
            std::lock_guard<std::mutex> lock(pipeline->mutex);
            const CameraSettings& camera = *pipeline->camera;
            if (++pipeline->waits == camera.grabErrorAt) {
                throw SdkFailure(camera.grabErrorText, OB_EXCEPTION_TYPE_UNKNOWN,
                                 camera.grabErrorIsWaitTimeout ? OB_ERROR_WAIT_TIMEOUT : OB_STATUS_ERROR);
            }
            stream = pipeline->stream;
        }
        if (!stream) {
            std::this_thread::sleep_for(timeout);
            return nullptr;
        }
        return const_cast<ob_frame*>(stream->waitForFrameset(timeout).release());
    });
}

ob_stream_profile_list* ob_pipeline_get_stream_profile_list(const ob_pipeline* pipeline, ob_sensor_type sensorType, ob_error** error) {
    return apiCall("ob_pipeline_get_stream_profile_list", error, static_cast<ob_stream_profile_list*>(nullptr), [&] {
        std::vector<VideoProfile> profiles = offeredProfiles(sensorType, *require(pipeline, "pipeline")->camera);
        if (profiles.empty()) throw SdkFailure("the device has no sensor of that type", OB_EXCEPTION_TYPE_INVALID_VALUE);
        auto* list = new ob_stream_profile_list;
        list->profiles = std::move(profiles);
        return list;
    });
}

void ob_pipeline_enable_frame_sync(ob_pipeline* pipeline, ob_error** error) {
    apiCall("ob_pipeline_enable_frame_sync", error, [&] {
        require(pipeline, "pipeline");
        if (pipeline->camera->fails("frame-sync")) {
            throw SdkFailure("simulated failure: the device does not support frame synchronisation (fail=frame-sync)",
                             OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        }
        std::lock_guard<std::mutex> lock(pipeline->mutex);
        pipeline->frameSync = true;
    });
}

void ob_pipeline_disable_frame_sync(ob_pipeline* pipeline, ob_error** error) {
    apiCall("ob_pipeline_disable_frame_sync", error, [&] {
        require(pipeline, "pipeline");
        std::lock_guard<std::mutex> lock(pipeline->mutex);
        pipeline->frameSync = false;
    });
}

ob_config* ob_create_config(ob_error** error) {
    return apiCall("ob_create_config", error, static_cast<ob_config*>(nullptr), [] { return new ob_config; });
}

void ob_delete_config(ob_config* config, ob_error** error) {
    apiCall("ob_delete_config", error, [&] { delete config; });
}

void ob_config_enable_stream_with_stream_profile(ob_config* config, const ob_stream_profile* profile, ob_error** error) {
    apiCall("ob_config_enable_stream_with_stream_profile", error, [&] {
        require(config, "config");
        const VideoProfile& video = require(profile, "stream profile")->node->values;
        if (video.type == OB_STREAM_COLOR) {
            config->color = video;
        } else if (video.type == OB_STREAM_DEPTH) {
            config->depth = video;
        } else {
            throw SdkFailure("stream type not simulated", OB_EXCEPTION_TYPE_INVALID_VALUE);
        }
    });
}

void ob_config_set_align_mode(ob_config* config, ob_align_mode mode, ob_error** error) {
    apiCall("ob_config_set_align_mode", error, [&] { require(config, "config")->alignMode = mode; });
}

void ob_config_set_frame_aggregate_output_mode(ob_config* config, ob_frame_aggregate_output_mode mode, ob_error** error) {
    apiCall("ob_config_set_frame_aggregate_output_mode", error, [&] { require(config, "config")->aggregateMode = mode; });
}
