// SPDX-License-Identifier: GPL-3.0-or-later
// The calculate step of both programs: a formula's text in; its value, the
// kind of outcome and where it failed out.
#pragma once

#include "Cancelled.h"
#include "ParseMessages.h"
#include "cFormulaEngine.h"
#include "cFormulaText.h"

#include <optional>
#include <string>

enum class eOutcome { Value, ParseFailed, CalcFailed, Cancelled };

struct cCalculation {
    eOutcome aOutcome = eOutcome::Value;
    cLongReal aValue{0L}; // the result; 0 after a failure
    // ParseFailed: a character that no formula may hold, or else the parser's
    // (or the number library's) failure with its stretch.
    std::optional<cForeignChar> aForeign;
    cParseFailure aParse;
    // CalcFailed and Cancelled: what the failure says ("division by zero").
    std::string aReason;
    // Where it failed: bytes aFirst..aLast of the formula, inclusive; an
    // empty stretch (aLast < aFirst) when there is no place to show.
    int32_t aFirst = -1;
    int32_t aLast = -1;

    bool Ok() const { return aOutcome == eOutcome::Value; }
    // The message of a parse failure, with its column.
    cParseMessage ParseMessage(std::string_view formula) const;
};

// Checks the formula for foreign characters, parses it into engine and
// evaluates it. Every exception of the parse and the evaluation is taken
// into the result; a cancel as eOutcome::Cancelled.
cCalculation Calculate(cFormulaEngine& engine, const std::string& formula);
