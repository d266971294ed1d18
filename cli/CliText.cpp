// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliText.h"

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::pair<std::string_view, std::string_view> SplitWord(std::string_view text) {
    text = Trim(text);
    const auto blank = text.find_first_of(" \t");
    if (blank == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, blank), Trim(text.substr(blank))};
}
