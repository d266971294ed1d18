// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliSession.h"

#include "CliParseMessages.h"
#include "CliProgress.h"
#include "CliText.h"
#include "cFormulaText.h"

#include <algorithm>
#include <new>

cCliSession::cCliSession(std::ostream& out, bool carets)
    : aOut(out), aCarets(carets), aEngine(FE_BuildInstance()), aLastResult(0L)
{
}

namespace {

// The reason of a failure as the user reads it.
std::string Reason(const std::exception& e)
{
    return dynamic_cast<const std::bad_alloc*>(&e) != nullptr ? "not enough memory" : e.what();
}

} // namespace

bool cCliSession::IsBlank(std::string_view line)
{
    return Trim(line).empty();
}

bool cCliSession::IsCommand(std::string_view line)
{
    line = Trim(line);
    return line.starts_with(':') || line == "quit" || line == "exit";
}

bool cCliSession::Run(const std::string& line)
{
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

bool cCliSession::Fail(const std::string& reason)
{
    aOut << "error: " << reason << '\n';
    return false;
}

bool cCliSession::ParseFailed(const std::string& formula, const cParseMessage& message)
{
    aOut << "parse error: " << message.aText << '\n';
    if (aCarets && message.aColumn > 0)
        aOut << CaretLines(formula, message.aColumn, message.aWidth);
    aLastResult = cLongReal(0L);
    return false;
}

bool cCliSession::Calculate(const std::string& formula)
{
    // The engine leaves out what is not printable ASCII; a formula holding
    // such a character would silently mean something else.
    if (const auto foreign = FindForeignChar(formula))
        return ParseFailed(formula, ForeignCharMessage(formula, *foreign));

    std::string answer;
    std::optional<cParseFailure> parseFailure;
    bool ok = false;
    {
        cEvaluationScope evaluating;
        try {
            aEngine->Parse(formula.c_str());
            try {
                cLongReal result = aEngine->Evaluate();
                answer = static_cast<const char*>(result);
                aLastResult = std::move(result);
                ok = true;
            } catch (feFehlerCode code) {
                answer = std::string("calc error: ") + feFehlerName(code);
            } catch (const std::exception& e) {
                answer = "calc error: " + Reason(e);
            } catch (...) {
                answer = "calc error: unknown failure";
            }
        } catch (feFehlerCode code) {
            parseFailure = cParseFailure{code, {}};
        } catch (const std::exception& e) {
            parseFailure = cParseFailure{std::nullopt, Reason(e)};
        } catch (...) {
            parseFailure = cParseFailure{std::nullopt, "unknown failure"};
        }
    }
    if (parseFailure) {
        parseFailure->aFirst = aEngine->aErrorFirst;
        parseFailure->aLast = aEngine->aErrorLast;
        parseFailure->aUnclosed = aEngine->aErrorUnclosed;
        return ParseFailed(formula, ParseFailureMessage(formula, *parseFailure));
    }
    if (!ok)
        aLastResult = cLongReal(0L);
    aOut << answer << '\n';
    return ok;
}
