// SPDX-License-Identifier: GPL-3.0-or-later
// Line-level reading of ini text: sections, key=value lines and whole numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Blanks and tabs removed from both ends.
std::string_view TrimBlanks(std::string_view text);

// A whole number: optional blanks, an optional + or -, one or more decimal
// digits, optional blanks; nothing else, and within the signed 32-bit range.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

// ASCII case-insensitive comparison, as ini names are compared.
bool SameIniName(std::string_view a, std::string_view b);

// One line of an ini file, classified.
struct cIniLine {
    enum class eKind { Other, Section, Value };
    eKind aKind = eKind::Other;
    std::string_view aName;  // section name or key, trimmed
    std::string_view aValue; // value, trimmed (Value lines only)
};
// Classifies a line given without its line end (a trailing CR is ignored).
// A leading UTF-8 byte order mark is skipped. Blank lines, comments
// (; or #) and lines without '=' are Other.
cIniLine ClassifyIniLine(std::string_view line);
