// Text made valid UTF-8, as a reader that replaces what it cannot read.
#include "Utf8Repair.h"

#include <cstdint>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct SequenceForm {
    size_t length = 0;    // 0: not a lead byte
    uint8_t secondLow = 0x80;
    uint8_t secondHigh = 0xBF;
};

// The well-formed sequences a lead byte starts (Unicode, table 3-7).
SequenceForm formOf(uint8_t lead)
{
    if (lead >= 0xC2 && lead <= 0xDF) return {2};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    if (lead >= 0xF1 && lead <= 0xF3) return {4};
    return {};
}

} // namespace

std::string withInvalidUtf8Replaced(std::string_view text)
{
    std::string repaired;
    repaired.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<uint8_t>(text[at]);
        if (lead < 0x80) {
            repaired += text[at++];
            continue;
        }
        const SequenceForm form = formOf(lead);
        size_t valid = 1;
        while (valid < form.length && at + valid < text.size()) {
            const auto next = static_cast<uint8_t>(text[at + valid]);
            const uint8_t low = valid == 1 ? form.secondLow : 0x80;
            const uint8_t high = valid == 1 ? form.secondHigh : 0xBF;
            if (next < low || next > high) break;
            ++valid;
        }
        // The lead byte and the continuation bytes that fit it are one part, replaced as a whole.
        if (valid == form.length) {
            repaired += text.substr(at, valid);
        } else {
            repaired += kReplacement;
        }
        at += valid;
    }
    return repaired;
}
