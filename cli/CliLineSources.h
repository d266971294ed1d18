// SPDX-License-Identifier: GPL-3.0-or-later
// Where the lines of korund-cli come from (a stream: a pipe or a script; or
// the editing terminal), and the loop that answers them.
#pragma once

#include "CliStreamInput.h"
#include "CliTerminal.h"
#include "FormulaHistory.h"

#include <memory>
#include <optional>
#include <string>

class cCliSession;

// The outcome of answering a run of lines.
enum class eRunEnd { Done, Finished, Interrupted, OutputGone };

// A source of lines to answer.
class cLineSource {
public:
    virtual ~cLineSource() = default;
    // The next line; nullopt at the end, on a read error or after Ctrl-C.
    virtual std::optional<std::string> Next() = 0;
    // A line that is not answered (a comment of a script).
    virtual bool Skipped(const std::string&) const { return false; }
    // A line about to be answered.
    virtual void Taken(const std::string&) {}
    // The input ended (not by Ctrl-C).
    virtual void Ended() {}
};

// A stream's lines, with a prompt when a person types them; with comments,
// lines starting with '#' are skipped (scripts).
class cStreamSource : public cLineSource {
public:
    cStreamSource(cStreamInput& input, bool prompt, bool comments)
        : aInput(input), aPrompt(prompt), aComments(comments) {}
    std::optional<std::string> Next() override;
    bool Skipped(const std::string& line) const override { return aComments && line.starts_with('#'); }
    void Ended() override;

private:
    cStreamInput& aInput;
    bool aPrompt, aComments;
};

// The editing terminal, with the history shared with the desktop program:
// formulas go into the shared history, commands are recalled only within
// the session. The history is saved when the source ends.
class cTerminalSource : public cLineSource {
public:
    cTerminalSource();
    ~cTerminalSource() override;
    std::optional<std::string> Next() override { return aInput->Next(); }
    void Taken(const std::string& line) override;
    void Ended() override;

private:
    cFormulaHistory aHistory;
    std::unique_ptr<cTerminalInput> aInput;
};

// Answers the lines of a source; allOk turns false at the first failure.
eRunEnd RunLines(cCliSession& session, cLineSource& source, bool& allOk);
