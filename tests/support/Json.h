// A strict JSON reader for the tests: the caller's parser must accept every
// line the programs write, and member order matters to it.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum class Kind { Literal, Number, String, Object };  // the programs write no arrays
    Kind kind = Kind::Literal;
    std::string text;   // a string's decoded value, or a number's or literal's text
    std::vector<std::pair<std::string, JsonValue>> members;   // in document order

    const JsonValue& operator[](const std::string& key) const;
    std::vector<std::string> keys() const;
};

struct JsonError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses one complete JSON document; throws JsonError on any deviation from RFC 8259 (text that is
// not UTF-8 included), on a member named twice in an object, and on arrays.
JsonValue parseJson(const std::string& document);
