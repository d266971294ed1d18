// SPDX-License-Identifier: GPL-3.0-or-later
// Small text helpers of korund-cli.
#pragma once

#include <string_view>
#include <utility>

// Blanks, tabs and line ends removed from both ends.
std::string_view Trim(std::string_view text);
// Splits "word rest" at the first blank; both parts trimmed.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view text);
