// JSON string escaping shared by the capture's event lines, capture.json and kestrum-doctor's lines.
#include "JsonEscape.h"

std::string escapeJson(std::string_view text)
{
    static const char hexDigits[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': escaped += "\\\""; break;
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        case '\t': escaped += "\\t"; break;
        default:
            if (byte < 0x20) {
                escaped += "\\u00";
                escaped += hexDigits[byte >> 4];
                escaped += hexDigits[byte & 0x0f];
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}
