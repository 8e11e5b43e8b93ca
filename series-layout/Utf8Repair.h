// Text made valid UTF-8, as a reader that replaces what it cannot read.
#pragma once

#include <string>
#include <string_view>

// The text with every maximal part that is not well-formed UTF-8 (a stray continuation byte, a
// sequence cut short, an overlong form, a surrogate, a value beyond U+10FFFF) replaced by U+FFFD,
// as Unicode recommends; well-formed text is returned unchanged.
std::string withInvalidUtf8Replaced(std::string_view text);
