// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of korund-cli's --help and :help.
#pragma once

#include <array>
#include <string_view>

extern const char* const kCliUsage;
extern const char* const kCliCommands;

// One built-in function: its name and one line of help.
struct cBuiltinHelp {
    const char* aName; // as typed before '('
    const char* aLine; // "normloc(x): density of the standard normal distribution"
};
// The built-in functions in table order, then the sum and product forms.
extern const std::array<cBuiltinHelp, 31> kBuiltinHelp;

// The help line of a built-in function, or nullptr.
const char* BuiltinHelpLine(std::string_view name);
