// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliLineSources.h"

#include "CliProgress.h"
#include "CliSession.h"

#include <iostream>
#include <new>

std::optional<std::string> cStreamSource::Next() {
    if (aPrompt)
        std::cout << "> " << std::flush;
    return aInput.Next();
}

void cStreamSource::Ended() {
    if (aPrompt)
        std::cout << '\n';
}

cTerminalSource::cTerminalSource() : aHistory(cFormulaHistory::DefaultPath()) {
    aHistory.Load();
    aInput = std::make_unique<cTerminalInput>(aHistory.Entries());
}

cTerminalSource::~cTerminalSource() {
    std::string error;
    try {
        if (aHistory.Save(&error))
            return;
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
    }
    std::cerr << "korund-cli: cannot save the history " << cFormulaHistory::DefaultPath() << ": " << error << '\n';
}

void cTerminalSource::Taken(const std::string& line) {
    aInput->Remember(line);
    if (!cCliSession::IsCommand(line))
        aHistory.Add(line);
}

void cTerminalSource::Ended() { std::cout << '\n'; }

eRunEnd RunLines(cCliSession& session, cLineSource& source, bool& allOk) {
    for (;;) {
        if (CliInterruptRequested())
            return eRunEnd::Interrupted;
        std::optional<std::string> line;
        try {
            line = source.Next();
        } catch (const cLineTooLong& e) {
            allOk = session.Fail(e.what()) && allOk;
            continue;
        }
        if (!line) {
            if (CliInterruptRequested())
                return eRunEnd::Interrupted;
            source.Ended();
            return eRunEnd::Done;
        }
        if (cCliSession::IsBlank(*line) || source.Skipped(*line))
            continue;
        if (CliInterruptRequested())
            return eRunEnd::Interrupted;
        source.Taken(*line);
        allOk = session.Run(*line) && allOk;
        if (!std::cout.good())
            return eRunEnd::OutputGone;
        if (session.Finished())
            return eRunEnd::Finished;
    }
}
