// ob::Filter and ob::Align, the filter that maps depth onto another stream.
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
    // Delegates, so that the destructor deletes impl even if init throws.
    explicit Filter(ob_filter* impl) : Filter() {
        init(impl);
    }
    Filter(const Filter&)            = delete;
    Filter& operator=(const Filter&) = delete;
    virtual ~Filter() noexcept {
        if(impl_ != nullptr) {
            ob_error* error = nullptr;
            ob_delete_filter(impl_, &error);
            Error::handle(&error, false);
        }
    }

    ob_filter* getImpl() const {
        return impl_;
    }
    virtual const std::string& getName() const {
        return name_;
    }
    // The filter's result, or nullptr when it produced none.
    virtual std::shared_ptr<Frame> process(std::shared_ptr<const Frame> frame) const {
        ob_error* error  = nullptr;
        auto      result = ob_filter_process(impl_, frame->getImpl(), &error);
        Error::handle(&error);
        if(result == nullptr) {
            return nullptr;
        }
        return std::make_shared<Frame>(result);
    }
    virtual std::vector<OBFilterConfigSchemaItem> getConfigSchemaVec() const {
        return configSchema_;
    }
    virtual void setConfigValue(const std::string& configName, double value) const {
        ob_error* error = nullptr;
        ob_filter_set_config_value(impl_, configName.c_str(), value, &error);
        Error::handle(&error);
    }
    virtual double getConfigValue(const std::string& configName) const {
        ob_error* error = nullptr;
        double    value = ob_filter_get_config_value(impl_, configName.c_str(), &error);
        Error::handle(&error);
        return value;
    }

protected:
    Filter() = default;

    // Takes ownership of impl before anything can throw.
    void init(ob_filter* impl) {
        impl_           = impl;
        ob_error* error = nullptr;
        name_           = ob_filter_get_name(impl_, &error);
        Error::handle(&error);

        auto schemaList = ob_filter_get_config_schema_list(impl_, &error);
        Error::handle(&error);
        auto count = ob_filter_config_schema_list_get_count(schemaList, &error);
        for(uint32_t i = 0; i < count && error == nullptr; ++i) {
            configSchema_.push_back(ob_filter_config_schema_list_get_item(schemaList, i, &error));
        }
        ob_error* deleteError = nullptr;
        ob_delete_filter_config_schema_list(schemaList, &deleteError);
        Error::handle(&deleteError, false);
        Error::handle(&error);
    }

    ob_filter*                            impl_ = nullptr;
    std::string                           name_;
    std::vector<OBFilterConfigSchemaItem> configSchema_;
};

class Align : public Filter {
public:
    // Maps depth onto the images of alignToStreamType.
    explicit Align(OBStreamType alignToStreamType) {
        ob_error* error = nullptr;
        auto      impl  = ob_create_filter("Align", &error);
        Error::handle(&error);
        init(impl);
        setConfigValue("AlignType", static_cast<double>(alignToStreamType));
    }
    ~Align() noexcept override = default;

    OBStreamType getAlignToStreamType() const {
        return static_cast<OBStreamType>(static_cast<int>(getConfigValue("AlignType")));
    }
};

}  // namespace ob
