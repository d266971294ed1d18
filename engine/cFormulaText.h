// SPDX-License-Identifier: GPL-3.0-or-later
// Checks on formula text before it reaches the parser, which silently drops
// every byte outside printable ASCII.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// A character that no formula may hold.
struct cForeignChar {
    size_t aOffset; // byte offset of its UTF-8 sequence
    size_t aLength; // bytes of the sequence; a byte that starts no valid sequence counts alone
    size_t aColumn; // 1-based, counted in characters
};

// The first character outside printable ASCII (0x20..0x7E) other than tab,
// CR and LF; none when the text is clean.
std::optional<cForeignChar> FindForeignChar(std::string_view text);
// What to type instead of a character often pasted into formulas ("use *"
// for a multiplication sign), or null.
const char* ForeignCharHint(std::string_view character);
// 1-based column, counted in characters, of a byte offset.
size_t ColumnOfOffset(std::string_view text, size_t offset);
