// SPDX-License-Identifier: GPL-3.0-or-later
// Tab completion of korund-cli: built-in functions, constants, user
// functions and, at the start of a line, commands.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct cCompletion {
    size_t aWordStart = 0;                // where the completed word begins
    std::vector<std::string> aCandidates; // whole words, sorted; functions end with '('
};

// Candidates for the word that ends at cursor, from names and, when the
// word starts the line, from commands.
cCompletion CompleteWord(std::string_view line, size_t cursor, const std::vector<std::string>& names,
                         const std::vector<std::string>& commands);

// The longest start that all candidates share.
std::string CommonStart(const std::vector<std::string>& candidates);

// What formulas may name now: built-in functions and user functions with
// '(', constants without. Needs the engine's tables.
std::vector<std::string> CompletableNames();
