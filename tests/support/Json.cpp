// A strict JSON reader for the tests.
#include "Json.h"

#include <algorithm>
#include <regex>

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    JsonValue document()
    {
        JsonValue value = parseValue();
        if (skipBlanks() != '\0' || pos_ != text_.size()) fail("trailing characters");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const { throw JsonError(what + " at offset " + std::to_string(pos_)); }
    // The next character after blanks, '\0' at the end.
    char skipBlanks()
    {
        pos_ = std::min(text_.find_first_not_of(" \t\n\r", pos_), text_.size());
        return text_[pos_];
    }
    void expect(char c)
    {
        if (skipBlanks() != c) fail(std::string("expected '") + c + "'");
        ++pos_;
    }
    bool literal(const std::string& word, JsonValue& value)
    {
        if (text_.compare(pos_, word.size(), word) != 0) return false;
        pos_ += word.size();
        value.text = word;
        return true;
    }

    JsonValue parseValue()
    {
        JsonValue value;
        const char c = skipBlanks();
        if (c == '{') {
            value.kind = JsonValue::Kind::Object;
            ++pos_;
            if (skipBlanks() == '}') {
                ++pos_;
                return value;
            }
            do {
                std::string key = parseString();
                expect(':');
                value.members.emplace_back(std::move(key), parseValue());
            } while (skipBlanks() == ',' && ++pos_);
            expect('}');
        } else if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = parseString();
        } else if (!literal("true", value) && !literal("false", value) && !literal("null", value)) {
            parseNumber(value);
        }
        return value;
    }

    void parseNumber(JsonValue& value)
    {
        static const std::regex number(R"(-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?)");
        std::smatch match;
        if (!std::regex_search(text_.begin() + static_cast<std::ptrdiff_t>(pos_), text_.end(), match, number,
                               std::regex_constants::match_continuous)) {
            fail("invalid value");
        }
        value.kind = JsonValue::Kind::Number;
        value.text = match.str();
        pos_ += value.text.size();
    }

    std::string parseString()
    {
        static const std::string escaped = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
        expect('"');
        std::string out;
        for (char c; (c = text_[pos_++]) != '"';) {
            if (pos_ > text_.size()) fail("unterminated string");
            if (static_cast<unsigned char>(c) < 0x20) fail("unescaped control character in string");
            if (c != '\\') {
                out += c;
            } else if (escaped.find(text_[pos_]) != std::string::npos) {
                out += meaning[escaped.find(text_[pos_++])];
            } else if (text_[pos_] == 'u') {
                // The programs escape only control bytes this way; UTF-8 passes unescaped.
                const std::string digits = text_.substr(pos_ + 1, 4);
                if (digits.size() != 4 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos ||
                    std::stoul(digits, nullptr, 16) >= 0x80) {
                    fail("bad \\u escape");
                }
                out += static_cast<char>(std::stoul(digits, nullptr, 16));
                pos_ += 5;
            } else {
                fail("bad escape");
            }
        }
        return out;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
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
    return Reader(document).document();
}
