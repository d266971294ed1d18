// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniText.h"

#include <charconv>

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<int32_t> ParseWholeNumber(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    // Parse the magnitude wide enough for -2147483648, then range-check.
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    const int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (magnitude > 2147483648ULL || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

bool SameIniName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

cIniLine ClassifyIniLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.starts_with("\xEF\xBB\xBF")) // UTF-8 byte order mark of a file's first line
        line.remove_prefix(3);
    line = TrimBlanks(line);
    cIniLine result;
    if (line.empty() || line.front() == ';' || line.front() == '#')
        return result;
    if (line.front() == '[') {
        const auto close = line.find(']');
        result.aKind = cIniLine::eKind::Section;
        result.aName = TrimBlanks(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return result;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return result;
    result.aKind = cIniLine::eKind::Value;
    result.aName = TrimBlanks(line.substr(0, equals));
    result.aValue = TrimBlanks(line.substr(equals + 1));
    return result;
}
