// JSON string escaping shared by the capture's event lines, capture.json and kestrum-doctor's lines.
#pragma once

#include <string>
#include <string_view>

// Escapes " \ LF CR TAB with their short forms and every other byte below 0x20
// as \u00XX, so that any text yields a valid JSON string body. Bytes from 0x20
// up, UTF-8 sequences included, are copied unchanged.
std::string escapeJson(std::string_view text);
