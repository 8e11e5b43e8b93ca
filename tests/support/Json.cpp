// A strict JSON reader for the tests.
#include "Json.h"

#include <cstdlib>
#include <regex>

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    JsonValue document()
    {
        JsonValue value = parseValue();
        skipBlanks();
        if (pos_ != text_.size()) fail("trailing characters");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw JsonError(what + " at offset " + std::to_string(pos_));
    }
    void skipBlanks()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r')) ++pos_;
    }
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void expect(char c)
    {
        if (peek() != c) fail(std::string("expected '") + c + "'");
        ++pos_;
    }
    bool literal(const char* word)
    {
        const std::string w(word);
        if (text_.compare(pos_, w.size(), w) != 0) return false;
        pos_ += w.size();
        return true;
    }

    JsonValue parseValue()
    {
        skipBlanks();
        JsonValue value;
        const char c = peek();
        if (c == '{') {
            value.kind = JsonValue::Kind::Object;
            ++pos_;
            skipBlanks();
            if (peek() == '}') { ++pos_; return value; }
            for (;;) {
                skipBlanks();
                std::string key = parseString();
                skipBlanks();
                expect(':');
                value.members.emplace_back(std::move(key), parseValue());
                skipBlanks();
                if (peek() == ',') { ++pos_; continue; }
                expect('}');
                return value;
            }
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = parseString();
            return value;
        }
        if (literal("true")) { value.kind = JsonValue::Kind::Bool; value.boolean = true; return value; }
        if (literal("false")) { value.kind = JsonValue::Kind::Bool; return value; }
        if (literal("null")) return value;
        return parseNumber();
    }

    JsonValue parseNumber()
    {
        static const std::regex number(R"(-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?)");
        std::smatch match;
        if (!std::regex_search(text_.begin() + static_cast<std::ptrdiff_t>(pos_), text_.end(), match, number,
                               std::regex_constants::match_continuous)) {
            fail("invalid value");
        }
        JsonValue value;
        value.kind = JsonValue::Kind::Number;
        value.text = match.str();
        value.number = std::strtod(value.text.c_str(), nullptr);
        pos_ += value.text.size();
        return value;
    }

    unsigned hex4()
    {
        const std::string digits = text_.substr(pos_, 4);
        if (digits.size() != 4 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            fail("bad \\u escape");
        }
        pos_ += 4;
        return static_cast<unsigned>(std::stoul(digits, nullptr, 16));
    }

    std::string parseString()
    {
        expect('"');
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) fail("unterminated string");
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("unescaped control character in string");
            if (c != '\\') { out += c; continue; }
            const char e = text_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                // The programs escape only control bytes this way; UTF-8 passes unescaped.
                const unsigned code = hex4();
                if (code >= 0x80) fail("\\u escape of a non-ASCII character");
                out += char(code);
                break;
            }
            default: fail("bad escape");
            }
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

} // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const
{
    for (const auto& [name, value] : members) {
        if (name == key) return value;
    }
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
