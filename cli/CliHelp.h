// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of korund-cli's --help and :help.
#pragma once

extern const char* const kCliUsage;
extern const char* const kCliCommands;
