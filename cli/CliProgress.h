// SPDX-License-Identifier: GPL-3.0-or-later
// Progress line and Ctrl-C handling of korund-cli, both driven by the
// engine's progress hook.
#pragma once

// Installs the progress hook in the engine and the SIGINT handler; Ctrl-C
// during an evaluation throws cCancelled("interrupted") out of it. With
// showProgress, long jobs draw a progress line on standard error.
void InstallCliProgress(bool showProgress);

// True once Ctrl-C was pressed outside an evaluation: the run should end.
bool CliInterruptRequested();

// Marks a parse and evaluation: Ctrl-C meanwhile interrupts it instead of
// ending the program. Leaving the scope erases the progress line and
// consumes a Ctrl-C that arrived too late to interrupt anything.
class cEvaluationScope {
public:
    cEvaluationScope();
    ~cEvaluationScope();
    cEvaluationScope(const cEvaluationScope&) = delete;
    cEvaluationScope& operator=(const cEvaluationScope&) = delete;
};
