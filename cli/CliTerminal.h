// SPDX-License-Identifier: GPL-3.0-or-later
// Line editing at a terminal (libedit): a prompt, editing keys, history
// recalled with Up and Down, and Tab completion.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class cTerminalInput {
public:
    // earlier: lines to recall first, oldest first.
    explicit cTerminalInput(const std::vector<std::string>& earlier);
    ~cTerminalInput();
    cTerminalInput(const cTerminalInput&) = delete;
    cTerminalInput& operator=(const cTerminalInput&) = delete;

    // The next line, without its line end; nullopt at Ctrl-D on an empty line,
    // at the end of input, or when Ctrl-C ended the wait (CliInterruptRequested).
    std::optional<std::string> Next();
    // Makes a line recallable with Up in this session.
    void Remember(const std::string& line);

private:
    struct cState;
    std::unique_ptr<cState> aState;
};
