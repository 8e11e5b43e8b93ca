// A strict JSON reader for the tests: nlohmann-json's parser, read event by event so that
// members keep their order and numbers the text they were written with.
#include "Json.h"

#include <nlohmann/json.hpp>

namespace {

class Builder final : public nlohmann::json_sax<nlohmann::json> {
public:
    bool null() override { return add(JsonValue::Kind::Literal, "null"); }
    bool boolean(bool value) override { return add(JsonValue::Kind::Literal, value ? "true" : "false"); }
    // An integer's text is its value's: JSON allows no other form of it but "-0".
    bool number_integer(number_integer_t value) override { return add(JsonValue::Kind::Number, std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return add(JsonValue::Kind::Number, std::to_string(value)); }
    bool number_float(number_float_t, const string_t& text) override { return add(JsonValue::Kind::Number, text); }
    bool string(string_t& value) override { return add(JsonValue::Kind::String, value); }
    bool binary(binary_t&) override { return refuse("binary data"); }
    bool start_array(std::size_t) override { return refuse("an array, which the programs never write"); }
    bool end_array() override { return false; }

    bool start_object(std::size_t) override
    {
        if (!add(JsonValue::Kind::Object, "")) return false;
        open_.push_back(open_.empty() ? &document : &open_.back()->members.back().second);
        return true;
    }
    bool key(string_t& name) override
    {
        for (const auto& member : open_.back()->members) {
            if (member.first == name) return refuse("a second member " + name);
        }
        key_ = name;
        return true;
    }
    bool end_object() override
    {
        open_.pop_back();
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override
    {
        return refuse(error.what());
    }

    JsonValue document;
    std::string problem;

private:
    bool add(JsonValue::Kind kind, std::string text)
    {
        JsonValue value;
        value.kind = kind;
        value.text = std::move(text);
        if (open_.empty()) {
            document = std::move(value);
        } else {
            open_.back()->members.emplace_back(key_, std::move(value));
        }
        return true;
    }
    bool refuse(const std::string& what)
    {
        problem = what;
        return false;
    }

    std::vector<JsonValue*> open_;   // the objects not yet closed, outermost first
    std::string key_;
};

} // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const
{
    for (const auto& [name, value] : members) if (name == key) return value;
    throw JsonError("no member " + key);
}

std::vector<std::string> JsonValue::keys() const
{
    std::vector<std::string> names;
    for (const auto& member : members) names.push_back(member.first);
    return names;
}

JsonValue parseJson(const std::string& document)
{
    Builder builder;
    if (!nlohmann::json::sax_parse(document, &builder)) throw JsonError(builder.problem);
    return std::move(builder.document);
}
