// SPDX-License-Identifier: GPL-3.0-or-later
#include "Calculation.h"

cParseMessage cCalculation::ParseMessage(std::string_view formula) const {
    return aForeign ? ForeignCharMessage(formula, *aForeign) : ParseFailureMessage(formula, aParse);
}

cCalculation Calculate(cFormulaEngine& engine, const std::string& formula) {
    cCalculation result;
    // The engine leaves out what is not printable ASCII; a formula holding
    // such a character would silently mean something else.
    if ((result.aForeign = FindForeignChar(formula))) {
        result.aOutcome = eOutcome::ParseFailed;
        result.aFirst = static_cast<int32_t>(result.aForeign->aOffset);
        result.aLast = result.aFirst + static_cast<int32_t>(result.aForeign->aLength) - 1;
        return result;
    }
    try {
        engine.Parse(formula.c_str());
    } catch (feFehlerCode code) {
        result.aParse.aCode = code;
    } catch (...) {
        result.aParse.aWhat = CalcFailureText(std::current_exception());
        result.aOutcome = eOutcome::ParseFailed;
    }
    if (result.aParse.aCode || result.aOutcome == eOutcome::ParseFailed) {
        result.aOutcome = eOutcome::ParseFailed;
        result.aFirst = result.aParse.aFirst = engine.aErrorFirst;
        result.aLast = result.aParse.aLast = engine.aErrorLast;
        result.aParse.aUnclosed = engine.aErrorUnclosed;
        return result;
    }
    try {
        result.aValue = engine.Evaluate();
    } catch (const cCancelled& cancelled) {
        result.aOutcome = eOutcome::Cancelled;
        result.aReason = cancelled.what();
    } catch (...) {
        result.aOutcome = eOutcome::CalcFailed;
        result.aReason = CalcFailureText(std::current_exception());
    }
    if (!result.Ok())
        result.aValue = cLongReal(0L);
    return result;
}
