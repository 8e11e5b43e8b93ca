// The "Align" filter: maps the depth of a frameset onto its colour image.
#include "ApiCall.h"
#include "Handles.h"
#include "libobsensor/h/Filter.h"

#include <string>

using namespace kestrum_sim::orbbec;

namespace {

constexpr const char* kAlignType = "AlignType";

// Only what is simulated: the result always has the colour image's size.
std::vector<ob_filter_config_schema_item> alignSchema() {
    return {
        {kAlignType, OB_FILTER_CONFIG_VALUE_TYPE_INT, 0.0, 10.0, 1.0, static_cast<double>(OB_STREAM_COLOR),
         "the stream type to align depth to"},
    };
}

const ob_filter_config_schema_item& schemaItem(const ob_filter& filter, const char* name) {
    for (const ob_filter_config_schema_item& item : filter.schema) {
        if (std::string(item.name) == name) return item;
    }
    throw SdkFailure(std::string("filter ") + filter.name + " has no config value " + name, OB_EXCEPTION_TYPE_INVALID_VALUE);
}

// The colour frame as it came and its depth aligned to it; none when the set lacks either, as in the real SDK.
FrameRef alignedToColor(DepthAlignment& alignment, const ob_frame_t& frameset) {
    FrameRef color = framesetMember(frameset, OB_FRAME_COLOR);
    FrameRef depth = framesetMember(frameset, OB_FRAME_DEPTH);
    if (!color || !depth) return FrameRef();
    FrameRef aligned = alignment.align(*depth, *color);
    std::vector<FrameRef> members;
    members.push_back(std::move(color));
    members.push_back(std::move(aligned));
    return newFrameset(frameset.index, std::move(members));
}

}  // namespace

ob_filter* ob_create_filter(const char* name, ob_error** error) {
    return apiCall("ob_create_filter", error, static_cast<ob_filter*>(nullptr), [&] {
        const std::string filterName = name ? name : "";
        if (filterName != "Align") throw SdkFailure("simulated SDK has no filter named '" + filterName + "'", OB_EXCEPTION_TYPE_INVALID_VALUE);
        auto* filter = new ob_filter;
        filter->name = filterName;
        filter->schema = alignSchema();
        for (const ob_filter_config_schema_item& item : filter->schema) filter->values[item.name] = item.def;
        return filter;
    });
}

const char* ob_filter_get_name(const ob_filter* filter, ob_error** error) {
    return apiCall("ob_filter_get_name", error, static_cast<const char*>(nullptr),
                   [&] { return require(filter, "filter")->name.c_str(); });
}

void ob_delete_filter(ob_filter* filter, ob_error** error) {
    apiCall("ob_delete_filter", error, [&] { delete filter; });
}

ob_filter_config_schema_list* ob_filter_get_config_schema_list(const ob_filter* filter, ob_error** error) {
    return apiCall("ob_filter_get_config_schema_list", error, static_cast<ob_filter_config_schema_list*>(nullptr), [&] {
        auto* list = new ob_filter_config_schema_list;
        list->items = require(filter, "filter")->schema;
        return list;
    });
}

void ob_delete_filter_config_schema_list(ob_filter_config_schema_list* config_schema_list, ob_error** error) {
    apiCall("ob_delete_filter_config_schema_list", error, [&] { delete config_schema_list; });
}

uint32_t ob_filter_config_schema_list_get_count(const ob_filter_config_schema_list* config_schema_list, ob_error** error) {
    return apiCall("ob_filter_config_schema_list_get_count", error, 0u, [&] {
        return static_cast<uint32_t>(require(config_schema_list, "config schema list")->items.size());
    });
}

ob_filter_config_schema_item ob_filter_config_schema_list_get_item(const ob_filter_config_schema_list* config_schema_list,
                                                                   uint32_t index, ob_error** error) {
    return apiCall("ob_filter_config_schema_list_get_item", error, ob_filter_config_schema_item{}, [&] {
        const auto& items = require(config_schema_list, "config schema list")->items;
        if (index >= items.size()) throw SdkFailure("config schema index out of range", OB_EXCEPTION_TYPE_INVALID_VALUE);
        return items[index];
    });
}

double ob_filter_get_config_value(const ob_filter* filter, const char* config_name, ob_error** error) {
    return apiCall("ob_filter_get_config_value", error, 0.0, [&] {
        const ob_filter& known = *require(filter, "filter");
        return known.values.at(schemaItem(known, require(config_name, "config name")).name);
    });
}

void ob_filter_set_config_value(ob_filter* filter, const char* config_name, double value, ob_error** error) {
    apiCall("ob_filter_set_config_value", error, [&] {
        ob_filter& known = *require(filter, "filter");
        const ob_filter_config_schema_item& item = schemaItem(known, require(config_name, "config name"));
        if (value < item.min || value > item.max) {
            throw SdkFailure(std::string("config value out of range: ") + item.name, OB_EXCEPTION_TYPE_INVALID_VALUE);
        }
        known.values[item.name] = value;
    });
}

ob_frame* ob_filter_process(ob_filter* filter, const ob_frame* frame, ob_error** error) {
    return apiCall("ob_filter_process", error, static_cast<ob_frame*>(nullptr), [&] {
        ob_filter& align = *require(filter, "filter");
        const ob_frame_t& input = *require(frame, "frame");
        if (input.type != OB_FRAME_SET) return static_cast<ob_frame*>(nullptr);
        // Mapping colour onto depth is not simulated; kestrum maps depth onto colour.
        if (align.values.at(kAlignType) != static_cast<double>(OB_STREAM_COLOR)) {
            throw SdkFailure("simulated Align maps depth onto colour only (AlignType 2)", OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION);
        }
        return const_cast<ob_frame*>(alignedToColor(align.alignment, input).release());
    });
}
