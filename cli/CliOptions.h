// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line options of korund-cli.
#pragma once

#include <string>
#include <vector>

struct cCliOptions {
    std::vector<std::string> aFormulas;      // -e, in order
    std::string aIniPath;                    // --ini; empty: the usual settings file
    std::vector<std::string> aConstantFiles; // --constants, in order
    std::vector<std::string> aFunctionFiles; // --functions, in order
    bool aHelp = false;
    bool aVersion = false;
    std::string aError; // non-empty: a usage error, to be reported with exit status 2
};

cCliOptions ParseCliOptions(int argc, const char* const* argv);
