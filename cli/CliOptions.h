// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line options of korund-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct cCliOptions {
    std::vector<std::string> aFormulas;      // -e, in order
    std::vector<std::string> aScripts;       // file arguments, read after the -e formulas
    std::string aIniPath;                    // --ini; empty: the usual settings file
    std::vector<std::string> aConstantFiles; // --constants, in order
    std::vector<std::string> aFunctionFiles; // --functions, in order
    std::optional<int32_t> aDigits;          // --digits: decimal digits shown
    std::optional<int32_t> aAngle;           // --angle: 0 rad, 1 deg, 2 gra
    std::optional<int32_t> aBase;            // --base: input and output base
    std::optional<int32_t> aOutputBase;      // --output-base
    bool aHelp = false;
    bool aVersion = false;
    std::string aError; // non-empty: a usage error, to be reported with exit status 2
};

// The most decimal digits --digits accepts.
constexpr int32_t kMaxCliDigits = 100000;

// Options as getopt_long reads them: abbreviated long names, "--name=value",
// "-eFORMULA", and "--" before file arguments that start with '-'.
cCliOptions ParseCliOptions(int argc, char* const* argv);
