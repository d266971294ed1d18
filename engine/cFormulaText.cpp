// SPDX-License-Identifier: GPL-3.0-or-later
#include "cFormulaText.h"

#include <cstdint>
#include <cstring>

namespace {

// Bytes of the valid UTF-8 sequence at text[at], or 1 for a byte that
// starts none (a stray continuation byte, an overlong or truncated form).
size_t SequenceLength(std::string_view text, size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    size_t length;
    uint32_t minimum;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
    } else {
        return 1;
    }
    if (at + length > text.size())
        return 1;
    uint32_t code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<uint8_t>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return 1;
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 1 : length;
}

bool IsFormulaByte(char c) { return (c >= 0x20 && c <= 0x7E) || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

std::optional<cForeignChar> FindForeignChar(std::string_view text) {
    size_t column = 1;
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceLength(text, at);
        if (length > 1 || !IsFormulaByte(text[at]))
            return cForeignChar{at, length, column};
        at += length;
        ++column;
    }
    return std::nullopt;
}

const char* ForeignCharHint(std::string_view character) {
    struct cHint {
        const char* aCharacter;
        const char* aHint;
    };
    static constexpr cHint hints[] = {
        {"\u00D7", "use *"},
        {"\u00B7", "use *"},
        {"\u22C5", "use *"},
        {"\u2219", "use *"},
        {"\u00F7", "use /"},
        {"\u2215", "use /"},
        {"\u2212", "use -"},
        {"\u2013", "use -"},
        {"\u221A", "use sqrt(...)"},
        {"\u03C0", "use pi()"},
        {"\u00B2", "use ^2"},
        {"\u00B3", "use ^3"},
        {"\u00A0", "use a plain blank"},
        {"\u2009", "use a plain blank"},
        {"\u202F", "use a plain blank"},
        {"\u00B0", "angles are in the unit set by AngleMode; leave out the degree sign"},
        {"\u2018", "quotes are not part of a formula"},
        {"\u2019", "quotes are not part of a formula"},
        {"\u201C", "quotes are not part of a formula"},
        {"\u201D", "quotes are not part of a formula"},
    };
    for (const cHint& hint : hints)
        if (character == hint.aCharacter)
            return hint.aHint;
    if (character.size() == 1 && static_cast<unsigned char>(character[0]) < 0x20)
        return "a control character";
    return nullptr;
}

size_t ColumnOfOffset(std::string_view text, size_t offset) {
    size_t column = 1;
    for (size_t at = 0; at < offset && at < text.size(); ++column)
        at += SequenceLength(text, at);
    return column;
}
