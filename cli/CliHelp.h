// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of korund-cli's --help and :help.
#pragma once

#include <array>

extern const char* const kCliUsage;
extern const char* const kCliCommands;
// The built-in functions in table order, then the sum and product forms.
extern const std::array<const char*, 31> kBuiltinHelp;
