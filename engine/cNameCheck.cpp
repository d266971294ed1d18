// SPDX-License-Identifier: GPL-3.0-or-later
#include "cNameCheck.h"

#include "cBuiltins.h"
#include "cFormulaEngine.h"
#include "cParser.h"

#include <unordered_set>

const char* const kDuplicateNameReason = "an earlier entry has the same name, and formulas reach that one";

namespace {

bool IsDigitOrCapital(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

// Characters at which the parser splits a formula or an argument list.
bool IsSplitting(char c) {
    switch (c) {
    case '+':
    case '-':
    case '*':
    case '/':
    case '^':
    case '(':
    case ')':
    case ',':
    case '=': return true;
    default: return false;
    }
}

} // namespace

bool IsBuiltinFunctionName(std::string_view name) { return FindBuiltin(name) != nullptr; }

const char* UnreachableNameReason(std::string_view name, eNameKind kind) {
    if (name.empty())
        return "the name is empty";
    bool digitOrCapital = false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (IsDigitOrCapital(c))
            digitOrCapital = true;
        else if (IsSplitting(c))
            return "an operator, bracket or comma in the name splits it";
        else if (i == 0 && c == '.')
            return "a name starting with '.' is read as a number";
        else if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F)
            return "a blank or a character outside printable ASCII in the name";
        else if (i > 0 && !IsNameChar(c))
            return "after its first character a name holds only the letters a to z and _";
    }
    if (digitOrCapital)
        return "a digit or capital letter in the name (names are written with a to z and _)";
    if (kind == eNameKind::Constant && name.size() == 1)
        return "a name of one letter is always a variable";
    if (kind == eNameKind::Function && IsBuiltinFunctionName(name))
        return "a built-in function has this name, and formulas reach that one";
    return nullptr;
}

std::vector<cUnreachableName> UnreachableNames(const std::vector<std::string>& names, eNameKind kind) {
    std::vector<cUnreachableName> found;
    std::unordered_set<std::string_view> seen;
    for (size_t i = 0; i < names.size(); ++i) {
        const char* reason = UnreachableNameReason(names[i], kind);
        if (!seen.insert(names[i]).second && !reason)
            reason = kDuplicateNameReason;
        if (reason)
            found.push_back({static_cast<uint32_t>(i), names[i], reason});
    }
    return found;
}

std::vector<cUnreachableName> UnreachableLibraryNames(eNameKind kind) {
    std::vector<std::string> names;
    if (kind == eNameKind::Constant) {
        for (uint32_t i = 0; i < cFormulaEngine::aConstantCount; ++i)
            names.push_back(cFormulaEngine::aConstantArray[i].aName);
    } else {
        for (uint32_t i = 0; i < cFormulaEngine::aUserFunctionCount; ++i)
            names.push_back(cFormulaEngine::aUserFunctionArray[i].aName);
    }
    return UnreachableNames(names, kind);
}
