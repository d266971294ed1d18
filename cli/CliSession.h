// SPDX-License-Identifier: GPL-3.0-or-later
// One korund-cli session: a single engine instance that answers formulas
// and commands line by line, and the last result for the memory commands.
#pragma once

#include "cFormulaEngine.h"

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

class cCliSession {
public:
    // Needs cFormulaEngine::Init() done; writes answers to out.
    explicit cCliSession(std::ostream& out);

    // Answers one formula or command; false when it failed.
    bool Run(const std::string& line);

    // A line of nothing but blanks, tabs and line-end characters.
    static bool IsBlank(std::string_view line);

private:
    bool Calculate(const std::string& formula);
    bool Command(std::string_view line);
    bool Memory(std::string_view command, std::string_view argument);
    bool Save(std::string_view argument);
    void ListVariables();
    bool Fail(const std::string& reason);

    struct cEngineDeleter {
        void operator()(cFormulaEngine* engine) const { FE_ClearInstance(engine); }
    };

    std::ostream& aOut;
    std::unique_ptr<cFormulaEngine, cEngineDeleter> aEngine;
    cLongReal aLastResult;
};
