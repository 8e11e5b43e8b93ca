// ob::Filter, a processing step from the SDK, and ob::Align, the filter that maps
// depth onto another stream's image.
#pragma once

#include "Error.hpp"
#include "Frame.hpp"
#include "Types.hpp"
#include "libobsensor/h/Filter.h"

#include <memory>
#include <string>
#include <vector>

namespace ob {

class Filter : public std::enable_shared_from_this<Filter> {
public:
    // Delegates to the default constructor, so that the destructor frees handle even when init throws.
    explicit Filter(ob_filter* handle) : Filter() { init(handle); }
    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;
    virtual ~Filter() noexcept {
        if (handle_ != nullptr) detail::release(ob_delete_filter, handle_);
    }

    ob_filter* getImpl() const { return handle_; }
    virtual const std::string& getName() const { return name_; }
    // The filter's result, or nullptr when it produced none.
    virtual std::shared_ptr<Frame> process(std::shared_ptr<const Frame> frame) const {
        const ob_frame* result = detail::call(ob_filter_process, handle_, frame->getImpl());
        return result ? std::make_shared<Frame>(result) : nullptr;
    }
    virtual std::vector<OBFilterConfigSchemaItem> getConfigSchemaVec() const { return configSchema_; }
    virtual void setConfigValue(const std::string& configName, double value) const {
        detail::call(ob_filter_set_config_value, handle_, configName.c_str(), value);
    }
    virtual double getConfigValue(const std::string& configName) const {
        return detail::call(ob_filter_get_config_value, handle_, configName.c_str());
    }

protected:
    Filter() = default;

    // Owns handle from its first line on; then reads the name and the config schema once.
    void init(ob_filter* handle) {
        handle_ = handle;
        name_ = detail::call(ob_filter_get_name, handle_);
        using SchemaList = std::unique_ptr<ob_filter_config_schema_list, void (*)(ob_filter_config_schema_list*)>;
        const SchemaList schema(detail::call(ob_filter_get_config_schema_list, handle_), [](ob_filter_config_schema_list* list) {
            detail::release(ob_delete_filter_config_schema_list, list);
        });
        const uint32_t count = detail::call(ob_filter_config_schema_list_get_count, schema.get());
        for (uint32_t i = 0; i < count; ++i) {
            configSchema_.push_back(detail::call(ob_filter_config_schema_list_get_item, schema.get(), i));
        }
    }

    ob_filter* handle_ = nullptr;
    std::string name_;
    std::vector<OBFilterConfigSchemaItem> configSchema_;
};

class Align : public Filter {
public:
    // Maps depth onto the images of alignToStreamType, through the filter's "AlignType" value.
    explicit Align(OBStreamType alignToStreamType) {
        init(detail::call(ob_create_filter, "Align"));
        setConfigValue("AlignType", static_cast<double>(alignToStreamType));
    }

    OBStreamType getAlignToStreamType() const {
        return static_cast<OBStreamType>(static_cast<int>(getConfigValue("AlignType")));
    }
};

}  // namespace ob
