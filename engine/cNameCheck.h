// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a formula can reach a library entry by its name. The parser reads
// a name as its first character and the letters a..z and _ after it; a
// name alone is a constant unless it is one letter (a variable), a name
// before '(' is a built-in function first and a user function after that,
// and among equal names the first entry wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class eNameKind { Constant, Function };

// Why no formula can reach an entry of this name (as the engine keeps it:
// the definition up to '=' or '(', blanks removed), or nullptr when one can.
const char* UnreachableNameReason(std::string_view name, eNameKind kind = eNameKind::Constant);

// A name of the built-in function table, or sum or mul.
bool IsBuiltinFunctionName(std::string_view name);

// The reason given for a name that an earlier entry has already.
extern const char* const kDuplicateNameReason;

struct cUnreachableName {
    uint32_t aIndex; // position in the list or library
    std::string aName;
    const char* aReason; // as UnreachableNameReason, or kDuplicateNameReason
    bool operator==(const cUnreachableName&) const = default;
};

// The entries of a list of names, in order, that no formula can reach:
// their own name, or an earlier entry of the same name.
std::vector<cUnreachableName> UnreachableNames(const std::vector<std::string>& names, eNameKind kind);

// The same for the live constant or user-function library.
std::vector<cUnreachableName> UnreachableLibraryNames(eNameKind kind);
