// What the simulated SDK's opaque handles hold.
#pragma once

#include "CameraSettings.h"
#include "DepthAlignment.h"
#include "FramesetStream.h"
#include "ObjectRegistry.h"
#include "ProfileNode.h"
#include "StreamProfiles.h"
#include "libobsensor/h/ObTypes.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The settings are read when the context is made, and every object from it shares them.
struct ob_context_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::Context> {
    std::shared_ptr<const kestrum_sim::orbbec::CameraSettings> camera;
};

struct ob_device_list_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::DeviceList> {
    std::shared_ptr<const kestrum_sim::orbbec::CameraSettings> camera;
    uint32_t count = 0;
};

// Whether its frames carry global timestamps is shared with the pipelines made from it.
struct ob_device_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::Device> {
    std::shared_ptr<const kestrum_sim::orbbec::CameraSettings> camera;
    std::shared_ptr<std::atomic<bool>> globalTimestamp = std::make_shared<std::atomic<bool>>(false);
};

struct ob_device_info_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::DeviceInfo> {
    std::string name;
    std::string serialNumber;
    std::string firmwareVersion;
    std::string connectionType;
};

// Shared with the frames it is set on and the profiles bound to it.
struct ob_stream_profile_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::StreamProfile> {
    std::shared_ptr<kestrum_sim::orbbec::ProfileNode> node;
};

struct ob_stream_profile_list_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::StreamProfileList> {
    std::vector<kestrum_sim::orbbec::VideoProfile> profiles;
};

struct ob_config_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::Config> {
    std::optional<kestrum_sim::orbbec::VideoProfile> color;
    std::optional<kestrum_sim::orbbec::VideoProfile> depth;
    ob_align_mode alignMode = ALIGN_DISABLE;
    ob_frame_aggregate_output_mode aggregateMode = OB_FRAME_AGGREGATE_OUTPUT_ANY_SITUATION;
};

struct ob_pipeline_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::Pipeline> {
    std::shared_ptr<const kestrum_sim::orbbec::CameraSettings> camera;
    std::shared_ptr<const std::atomic<bool>> globalTimestamp;   // the device's
    std::mutex mutex;
    bool frameSync = false;
    uint64_t waits = 0;
    std::shared_ptr<kestrum_sim::orbbec::FramesetStream> stream;  // while started
};

struct ob_filter_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::Filter> {
    std::string name;
    std::vector<ob_filter_config_schema_item> schema;
    std::map<std::string, double> values;
    kestrum_sim::orbbec::DepthAlignment alignment;
};

struct ob_filter_config_schema_list_t : kestrum_sim::orbbec::Counted<kestrum_sim::OrbbecObjectKind::FilterConfigSchemaList> {
    std::vector<ob_filter_config_schema_item> items;
};
