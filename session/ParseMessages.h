// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of parse and evaluation failures, shared by both programs: in
// plain words with the place in the formula (korund-cli), and the short
// reasons of the plot window.
#pragma once

#include "cFormulaEngine.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

// Where and why a parse failed, as the engine leaves it.
struct cParseFailure {
    std::optional<feFehlerCode> aCode; // none: a failure of the number library
    std::string aWhat;                 // that failure's text
    int32_t aFirst = -1;               // failing stretch, byte offsets into the formula, inclusive
    int32_t aLast = -1;
    bool aUnclosed = false; // a '(' that is never closed
};

struct cParseMessage {
    std::string aText;  // "missing closing bracket for '(' at column 3 [feErrUnknownFunction]"
    size_t aColumn = 0; // 1-based column of the stretch in characters; 0: no place
    size_t aWidth = 0;  // its length in characters
};

// Without withColumn, the stretch is only named (for a text the user did
// not type as it is).
cParseMessage ParseFailureMessage(std::string_view formula, const cParseFailure& failure, bool withColumn = true);

// "did you mean pi()?" for a built-in's name typed without brackets (pi,
// sin 30) where the parser found an unknown constant; null otherwise.
std::optional<std::string> MissingBracketsHint(std::string_view formula, const cParseFailure& failure);

struct cForeignChar;
// "character '×' at column 2 is not part of a formula (use *)"; a control
// character is named by its code (U+001B), an invalid byte by its value.
cParseMessage ForeignCharMessage(std::string_view formula, const cForeignChar& foreign);

// The formula indented by two blanks and a caret line under the stretch;
// tabs and other blank characters are shown as blanks so the caret stays
// under its column.
std::string CaretLines(std::string_view formula, size_t column, size_t width);

class cPlotParseError;
// The plot window's reason of a parse failure of text: "unknown function",
// "missing closing bracket", "character not allowed (use *)", ...
std::string PlotParseReason(std::string_view text, const cPlotParseError& error);

// The text of a failed evaluation: what the exception says.
std::string CalcFailureText(std::exception_ptr failure);

struct cBuiltin;
// "per(n,k): permutations, n!/(n-k)!", the help line of a built-in.
std::string BuiltinHelpLine(const cBuiltin& builtin);
