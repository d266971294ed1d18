// SPDX-License-Identifier: GPL-3.0-or-later
// One korund-cli session: a single engine instance that answers formulas
// and commands line by line, and the last result for the memory commands.
#pragma once

#include "cFormulaEngine.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class cCliSession;
struct cParseMessage;

// A command line "NAME ARGUMENT": true when it succeeded. A failing command
// answers with session.Fail(reason).
using tCliCommand = std::function<bool(cCliSession& session, std::string_view name, std::string_view argument)>;

struct cCliCommandEntry {
    const char* aName; // ":vars", "quit", ...
    tCliCommand aRun;
};

class cCliSession {
public:
    // Needs cFormulaEngine::Init() done; writes answers to out. With carets,
    // a parse error is followed by the formula and a caret line under the
    // place (for a terminal).
    explicit cCliSession(std::ostream& out, bool carets = false);

    // Answers one formula or command; false when it failed.
    bool Run(const std::string& line);
    // True once quit, exit or :q was given.
    bool Finished() const { return aFinished; }

    // A line of nothing but blanks, tabs and line-end characters.
    static bool IsBlank(std::string_view line);
    // A line that Run takes as a command rather than a formula.
    static bool IsCommand(std::string_view line);
    // Every command; a new command is one more entry of this table.
    static const std::vector<cCliCommandEntry>& Commands();

    // For commands.
    std::ostream& Out() { return aOut; }
    cFormulaEngine& Engine() { return *aEngine; }
    const cLongReal& LastResult() const { return aLastResult; }
    bool Fail(const std::string& reason);
    void Finish() { aFinished = true; }

private:
    bool Calculate(const std::string& formula);
    bool ParseFailed(const std::string& formula, const cParseMessage& message);

    struct cEngineDeleter {
        void operator()(cFormulaEngine* engine) const { FE_ClearInstance(engine); }
    };

    std::ostream& aOut;
    bool aCarets;
    bool aFinished = false;
    std::unique_ptr<cFormulaEngine, cEngineDeleter> aEngine;
    cLongReal aLastResult;
};
