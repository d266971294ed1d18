// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProgress.h"

#include "Cancelled.h"

#include "cFormulaEngine.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kCallsPerClockCheck = 1024;
constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
constexpr uint16_t kShownLevels = 4;

volatile std::sig_atomic_t gInterrupt = 0;
volatile std::sig_atomic_t gEvaluating = 0;

bool gShowProgress = false;
bool gJobRunning = false; // level 0 reported something other than idle
bool gLineShown = false;
uint32_t gCallsUntilCheck = kCallsPerClockCheck;
Clock::time_point gJobStart;
Clock::time_point gLastDraw;

struct cLevelState {
    uint8_t aActivity = faIdle;
    uint32_t aTotal = 0;
    uint32_t aDone = 0;
};
cLevelState gLevels[kShownLevels];

void OnSigint(int) {
    // A second Ctrl-C while an evaluation does not react ends the program.
    if (gEvaluating && gInterrupt)
        _exit(130);
    gInterrupt = 1;
}

const char* ActivityText(uint8_t activity) {
    switch (activity) {
    case faCalculating: return "calculating";
    case faSaving: return "saving to file";
    case faLoading: return "loading from file";
    case faInterpreting: return "interpreting";
    default: return "";
    }
}

void EraseLine() {
    if (gLineShown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        gLineShown = false;
    }
}

void DrawLine() {
    std::string line = "\r";
    for (uint16_t level = 0; level < kShownLevels && gLevels[level].aActivity != faIdle; ++level) {
        const cLevelState& s = gLevels[level];
        const uint64_t percent = s.aTotal ? uint64_t{s.aDone} * 100 / s.aTotal : 0;
        line += level == 0 ? ActivityText(s.aActivity) : " >";
        line += ' ';
        line += std::to_string(s.aDone);
        line += '/';
        line += std::to_string(s.aTotal);
        line += " (";
        line += std::to_string(percent);
        line += "%)";
    }
    line += "\033[K";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    gLineShown = true;
}

void ProgressHook(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    if (activity == faCalculating && gInterrupt && gEvaluating)
        throw cCancelled("interrupted");
    if (!gShowProgress)
        return;
    if (level < kShownLevels)
        gLevels[level] = {activity, total, done};
    if (level == 0) {
        if (activity == faIdle) {
            gJobRunning = false;
            EraseLine();
            return;
        }
        if (!gJobRunning) {
            gJobRunning = true;
            gJobStart = Clock::now();
            gCallsUntilCheck = kCallsPerClockCheck;
        }
    }
    // The clock is read only every few thousand reports.
    if (--gCallsUntilCheck != 0)
        return;
    gCallsUntilCheck = kCallsPerClockCheck;
    const auto now = Clock::now();
    if (!gJobRunning || now - gJobStart < kQuietStart || (gLineShown && now - gLastDraw < kRedrawInterval))
        return;
    gLastDraw = now;
    DrawLine();
}

} // namespace

void InstallCliProgress(bool showProgress) {
    gShowProgress = showProgress;
    cFormulaEngine::ProgressIndicator = &ProgressHook;

    struct sigaction action {};
    action.sa_handler = &OnSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocked read returns, so the prompt can end
    sigaction(SIGINT, &action, nullptr);
}

bool CliInterruptRequested() { return gInterrupt != 0 && gEvaluating == 0; }

cEvaluationScope::cEvaluationScope() { gEvaluating = 1; }

cEvaluationScope::~cEvaluationScope() {
    gEvaluating = 0;
    gInterrupt = 0;
    gJobRunning = false;
    EraseLine();
}
