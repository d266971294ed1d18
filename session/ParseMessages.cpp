// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParseMessages.h"

#include "cBuiltins.h"
#include "cFormulaEngine.h"
#include "cFormulaText.h"
#include "cParser.h"
#include "cPlotSampler.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The stretch's text with the blanks the parser ignores left out.
std::string Printed(std::string_view text) {
    std::string printed;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            printed += c;
    return printed;
}

// The argument count of the function the name calls, or -1 when none.
int ArgumentCount(const std::string& name) {
    if (const cBuiltin* builtin = FindBuiltin(name))
        return builtin->aArgCount;
    for (uint32_t i = 0; cFormulaEngine::aUserFunctionArray && i < cFormulaEngine::aUserFunctionCount; ++i)
        if (cFormulaEngine::aUserFunctionArray[i].aName == name)
            return cFormulaEngine::aUserFunctionArray[i].aArgCount;
    return -1;
}

std::string Arguments(int count) { return std::to_string(count) + (count == 1 ? " argument" : " arguments"); }

// Without a stretch to name.
const char* Generic(feFehlerCode code) {
    switch (code) {
    case feErrBrackets: return "brackets that do not match";
    case feErrUnknownFunction: return "unknown function";
    case feErrUnknownConstant: return "unknown constant";
    case feErrBadSymbol: return "a symbol that is not a number, variable or name";
    case feErrEmpty: return "empty formula";
    case feErrArgCount: return "wrong number of arguments";
    case feErrTooDeep: return "the formula nests too deeply";
    }
    return "unknown failure";
}

std::string Describe(feFehlerCode code, const std::string& stretch, bool unclosed) {
    if (stretch.empty() && !unclosed)
        return Generic(code);
    const char first = stretch.empty() ? '\0' : stretch.front();
    switch (code) {
    case feErrBrackets:
        return first == '(' ? "unmatched '('" : first == ')' ? "unmatched ')'" : "brackets that do not match";
    case feErrUnknownFunction:
        if (unclosed)
            return "missing closing bracket for '('";
        return "unknown function '" + stretch.substr(0, stretch.find('(')) + "'";
    case feErrUnknownConstant: return "unknown constant '" + stretch + "'";
    case feErrBadSymbol: return "'" + stretch + "' is not a number, variable or name";
    case feErrEmpty:
        if (std::strchr("+-*/^", first))
            return "operator without an operand";
        return first == ',' ? "empty argument" : "empty brackets or argument";
    case feErrArgCount: {
        const std::string name = stretch.substr(0, stretch.find('('));
        const int count = ArgumentCount(name);
        return "wrong number of arguments for '" + name + "'" +
               (count >= 0 ? " (it takes " + Arguments(count) + ")" : "");
    }
    case feErrTooDeep: break;
    }
    return Generic(code);
}

} // namespace

cParseMessage ParseFailureMessage(std::string_view formula, const cParseFailure& failure, bool withColumn) {
    cParseMessage message;
    const bool placed = failure.aFirst >= 0 && static_cast<size_t>(failure.aFirst) <= formula.size();
    const size_t first = placed ? static_cast<size_t>(failure.aFirst) : 0;
    const size_t end = placed && failure.aLast >= failure.aFirst
                           ? std::min(formula.size(), static_cast<size_t>(failure.aLast) + 1)
                           : first;
    const std::string stretch = Printed(formula.substr(first, end - first));

    message.aText = failure.aCode ? Describe(*failure.aCode, stretch, failure.aUnclosed) : failure.aWhat;
    std::string hint;
    if (failure.aCode == feErrEmpty && stretch.size() == 1 && std::strchr("*/^", stretch[0])) {
        // 2*-3: a sign after an operator is an operator without its operand.
        const size_t next = formula.find_first_not_of(" \t\r\n", end);
        if (next != std::string_view::npos && (formula[next] == '-' || formula[next] == '+'))
            hint = " (a sign stands only at the start of a formula, a bracket or an argument: 2*(-3))";
    }
    // An empty formula and a too deep one have no place worth a column.
    const bool whole = failure.aCode == feErrTooDeep || end == first;
    if (placed && !whole && withColumn) {
        message.aColumn = ColumnOfOffset(formula, first);
        message.aWidth = std::max<size_t>(ColumnOfOffset(formula, end) - message.aColumn, 1);
        message.aText += " at column " + std::to_string(message.aColumn);
    }
    if (const auto brackets = MissingBracketsHint(formula, failure))
        hint = " (" + *brackets + ")";
    message.aText += hint;
    if (failure.aCode)
        message.aText += std::string(" [") + feFehlerName(*failure.aCode) + "]";
    return message;
}

std::optional<std::string> MissingBracketsHint(std::string_view formula, const cParseFailure& failure) {
    if (!failure.aCode || failure.aFirst < 0 || failure.aLast < failure.aFirst ||
        static_cast<size_t>(failure.aFirst) >= formula.size())
        return std::nullopt;
    const auto first = static_cast<size_t>(failure.aFirst);
    const auto end = std::min(formula.size(), static_cast<size_t>(failure.aLast) + 1);
    std::string_view name, argument;
    if (*failure.aCode == feErrUnknownConstant) {
        // "pi", or "sin x", which the parser reads as the one name sinx.
        const std::string_view stretch = formula.substr(first, end - first);
        const size_t blank = std::min(stretch.find_first_of(" \t"), stretch.size());
        name = stretch.substr(0, blank);
        argument = stretch.substr(blank);
    } else if (*failure.aCode == feErrBrackets && formula[first] != '(' && formula[first] != ')') {
        // "sin 30": the name sin, then no bracket where the parser wants one;
        // the argument runs to the next operator.
        const size_t last = first == 0 ? std::string_view::npos : formula.find_last_not_of(" \t", first - 1);
        if (last == std::string_view::npos)
            return std::nullopt;
        size_t head = last + 1;
        while (head > 0 && IsNameChar(formula[head - 1]))
            --head;
        name = formula.substr(head, last + 1 - head);
        const size_t stop = std::min(formula.find_first_of("+-*/^,()", first), formula.size());
        argument = formula.substr(first, stop - first);
    }
    const cBuiltin* builtin = name.empty() ? nullptr : FindBuiltin(name);
    if (!builtin)
        return std::nullopt;
    std::string inside = builtin->aArgCount == 0 ? "" : Printed(argument);
    if (inside.empty() && builtin->aArgCount > 0)
        inside = "...";
    return "did you mean " + std::string(name) + "(" + inside + ")?";
}

std::string PlotParseReason(std::string_view text, const cPlotParseError& error) {
    if (error.aForeign) {
        const auto first = static_cast<size_t>(std::max(error.aFirst, 0));
        const size_t length = error.aLast >= error.aFirst ? static_cast<size_t>(error.aLast - error.aFirst + 1) : 0;
        const char* hint = first <= text.size() ? ForeignCharHint(text.substr(first, length)) : nullptr;
        return std::string("character not allowed") + (hint ? std::string(" (") + hint + ")" : "");
    }
    std::string reason;
    switch (error.aCode) {
    case feErrBrackets: reason = "unmatched bracket"; break;
    case feErrUnknownFunction: reason = error.aUnclosed ? "missing closing bracket" : "unknown function"; break;
    case feErrUnknownConstant: reason = "unknown constant"; break;
    case feErrBadSymbol: reason = "bad symbol"; break;
    case feErrEmpty: reason = "missing operand"; break;
    case feErrArgCount: reason = "wrong number of arguments"; break;
    case feErrTooDeep: reason = "formula nested too deeply"; break;
    default: reason = "cannot parse"; break;
    }
    if (const auto hint = MissingBracketsHint(text, {error.aCode, {}, error.aFirst, error.aLast, error.aUnclosed}))
        reason += " (" + *hint + ")";
    return reason;
}

std::string CalcFailureText(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (feFehlerCode code) {
        return feFehlerName(code);
    } catch (const std::bad_alloc&) {
        return "not enough memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "unknown failure";
}

std::string BuiltinHelpLine(const cBuiltin& builtin) { return std::string(builtin.aSignature) + ": " + builtin.aHelp; }

namespace {

// The code point of a well-formed UTF-8 sequence, or -1.
long CodePoint(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes.front());
    if (bytes.size() == 1)
        return lead < 0x80 ? lead : -1;
    long value = lead & (0x7F >> bytes.size());
    for (size_t i = 1; i < bytes.size(); ++i)
        value = value << 6 | (static_cast<unsigned char>(bytes[i]) & 0x3F);
    return value;
}

std::string Hex(long value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0 && value > 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = kDigits[value & 0xF];
    return text;
}

} // namespace

cParseMessage ForeignCharMessage(std::string_view formula, const cForeignChar& foreign) {
    const std::string_view bytes = formula.substr(foreign.aOffset, foreign.aLength);
    const long code = bytes.empty() ? -1 : CodePoint(bytes);
    std::string named;
    if (code < 0)
        named = "byte 0x" + Hex(bytes.empty() ? 0 : static_cast<unsigned char>(bytes.front()), 2);
    else if (code < 0x20 || (code >= 0x7F && code < 0xA0))
        named = "character U+" + Hex(code, 4);
    else
        named = "character '" + std::string(bytes) + "'";

    cParseMessage message;
    message.aColumn = foreign.aColumn;
    message.aWidth = 1;
    message.aText = named + " at column " + std::to_string(foreign.aColumn) + " is not part of a formula";
    if (const char* hint = ForeignCharHint(bytes))
        message.aText += std::string(" (") + hint + ")";
    return message;
}

std::string CaretLines(std::string_view formula, size_t column, size_t width) {
    std::string shown = "  ";
    for (const char c : formula)
        shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    return shown + "\n" + std::string(column + 1, ' ') + std::string(width, '^') + "\n";
}
