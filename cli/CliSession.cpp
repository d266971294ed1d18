// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliSession.h"

#include "Calculation.h"
#include "CliProgress.h"
#include "CliText.h"

#include <algorithm>

cCliSession::cCliSession(std::ostream& out, bool carets)
    : aOut(out), aCarets(carets), aEngine(FE_BuildInstance()), aLastResult(0L) {}

bool cCliSession::IsBlank(std::string_view line) { return Trim(line).empty(); }

bool cCliSession::IsCommand(std::string_view line) {
    line = Trim(line);
    return line.starts_with(':') || line == "quit" || line == "exit";
}

bool cCliSession::Run(const std::string& line) {
    bool ok = false;
    if (IsCommand(line)) {
        const auto [name, argument] = SplitWord(line);
        const auto& commands = Commands();
        const std::string_view wanted = name; // a lambda may not capture a structured binding (clang 14)
        const auto command = std::find_if(commands.begin(), commands.end(),
                                          [&](const cCliCommandEntry& entry) { return wanted == entry.aName; });
        if (command == commands.end()) {
            ok = Fail("unknown command '" + std::string(Trim(line)) + "' (see :help)");
        } else {
            try {
                ok = command->aRun(*this, name, argument);
            } catch (const std::exception& e) {
                ok = Fail(e.what());
            }
        }
    } else {
        ok = Calculate(line);
    }
    aOut.flush();
    return ok;
}

bool cCliSession::Fail(const std::string& reason) {
    aOut << "error: " << reason << '\n';
    return false;
}

bool cCliSession::ParseFailed(const std::string& formula, const cParseMessage& message) {
    aOut << "parse error: " << message.aText << '\n';
    if (aCarets && message.aColumn > 0)
        aOut << CaretLines(formula, message.aColumn, message.aWidth);
    return false;
}

bool cCliSession::Calculate(const std::string& formula) {
    cCalculation calculation;
    std::string answer;
    {
        cEvaluationScope evaluating;
        calculation = ::Calculate(*aEngine, formula);
        if (calculation.Ok()) {
            try {
                answer = static_cast<const char*>(calculation.aValue);
            } catch (...) { // rendering a huge value may run out of memory
                calculation.aOutcome = eOutcome::CalcFailed;
                calculation.aReason = CalcFailureText(std::current_exception());
                calculation.aValue = cLongReal(0L);
            }
        }
    }
    aLastResult = std::move(calculation.aValue);
    switch (calculation.aOutcome) {
    case eOutcome::Value: aOut << answer << '\n'; return true;
    case eOutcome::ParseFailed: return ParseFailed(formula, calculation.ParseMessage(formula));
    case eOutcome::CalcFailed:
    case eOutcome::Cancelled: break;
    }
    aOut << "calc error: " << calculation.aReason << '\n';
    return false;
}
