// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliTerminal.h"

#include "CliCompletion.h"
#include "CliProgress.h"
#include "CliSession.h"

#include <histedit.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <stdexcept>

namespace {

// A changed terminal size, noted by SIGWINCH and passed to the editor at
// the next key (the handler restarts reads, so output is never cut short).
volatile std::sig_atomic_t gResized = 0;

void OnResize(int) { gResized = 1; }

const char* Prompt(EditLine*) { return "> "; }

// Waits until standard input has a byte or Ctrl-C is pressed: false for
// Ctrl-C. SIGINT is blocked between the check and the wait, so a Ctrl-C
// that comes just before the wait is not missed.
bool WaitForInput() {
    sigset_t interrupt;
    sigset_t old;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &old);
    bool ready = false;
    for (;;) {
        if (CliInterruptRequested())
            break;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int got = ppoll(&input, 1, nullptr, &old);
        if (got > 0) {
            ready = true;
            break;
        }
        if (got < 0 && errno != EINTR)
            break;
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ready;
}

// Reads one character for the editor. Unlike the built-in reader it gives
// up at once when Ctrl-C interrupts the wait, so that Ctrl-C at the prompt
// ends the program as it does without line editing.
int ReadCharacter(EditLine* editor, wchar_t* out) {
    std::mbstate_t state{};
    for (;;) {
        if (gResized) {
            gResized = 0;
            el_resize(editor);
        }
        if (!WaitForInput()) {
            *out = L'\0';
            return -1;
        }
        char byte = 0;
        const ssize_t got = read(STDIN_FILENO, &byte, 1);
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            *out = L'\0';
            return -1;
        }
        const size_t used = std::mbrtowc(out, &byte, 1, &state);
        if (used == static_cast<size_t>(-2))
            continue; // more bytes of the character follow
        if (used == static_cast<size_t>(-1)) {
            state = {};
            *out = static_cast<unsigned char>(byte); // shown as what it is, never dropped silently
        }
        return 1;
    }
}

std::vector<std::string> CommandNames() {
    std::vector<std::string> names;
    for (const cCliCommandEntry& command : cCliSession::Commands())
        names.emplace_back(command.aName);
    return names;
}

unsigned char Complete(EditLine* editor, int) {
    const LineInfo* info = el_line(editor);
    const std::string_view line(info->buffer, static_cast<size_t>(info->lastchar - info->buffer));
    const auto cursor = static_cast<size_t>(info->cursor - info->buffer);
    const cCompletion completion = CompleteWord(line, cursor, CompletableNames(), CommandNames());
    if (completion.aCandidates.empty())
        return CC_REFRESH_BEEP;

    const size_t typed = cursor - completion.aWordStart;
    std::string common = CommonStart(completion.aCandidates);
    if (completion.aCandidates.size() == 1 && common.starts_with(':'))
        common += ' ';
    if (common.size() > typed) {
        el_insertstr(editor, common.substr(typed).c_str());
        return CC_REFRESH;
    }
    // Nothing more in common: the candidates are listed under the line.
    std::FILE* out = nullptr;
    if (el_get(editor, EL_GETFP, 1, &out) != 0 || !out)
        out = stdout;
    std::fputc('\n', out);
    for (const std::string& candidate : completion.aCandidates)
        std::fprintf(out, "%s  ", candidate.c_str());
    std::fputc('\n', out);
    std::fflush(out);
    return CC_REDISPLAY;
}

// Wide-character reading needs a locale with UTF-8 or at least the user's.
void UseCharacterLocale() {
    if (!std::setlocale(LC_CTYPE, "") || MB_CUR_MAX == 1)
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

} // namespace

struct cTerminalInput::cState {
    EditLine* aEditor = nullptr;
    History* aHistory = nullptr;
    HistEvent aEvent{};
    struct sigaction aOldResize {};

    cState() {
        struct sigaction action {};
        action.sa_handler = &OnResize;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGWINCH, &action, &aOldResize);
    }
    ~cState() {
        sigaction(SIGWINCH, &aOldResize, nullptr);
        if (aEditor)
            el_end(aEditor);
        if (aHistory)
            history_end(aHistory);
    }
};

cTerminalInput::cTerminalInput(const std::vector<std::string>& earlier) : aState(std::make_unique<cState>()) {
    UseCharacterLocale();
    aState->aHistory = history_init();
    aState->aEditor = el_init("korund-cli", stdin, stdout, stderr);
    if (!aState->aHistory || !aState->aEditor)
        throw std::runtime_error("cannot start line editing");
    history(aState->aHistory, &aState->aEvent, H_SETSIZE, 1000);
    history(aState->aHistory, &aState->aEvent, H_SETUNIQUE, 1);
    for (const std::string& line : earlier)
        history(aState->aHistory, &aState->aEvent, H_ENTER, line.c_str());

    EditLine* editor = aState->aEditor;
    el_set(editor, EL_EDITOR, "emacs");
    el_set(editor, EL_PROMPT, &Prompt);
    el_set(editor, EL_HIST, history, aState->aHistory);
    el_set(editor, EL_GETCFN, &ReadCharacter);
    // The wide form keeps the two texts as given; the narrow form copies them
    // and never frees the copies.
    el_wset(editor, EL_ADDFN, L"korund-complete", L"Complete a name or command", &Complete);
    el_set(editor, EL_BIND, "^I", "korund-complete", nullptr);
    el_source(editor, nullptr); // the user's ~/.editrc
}

cTerminalInput::~cTerminalInput() = default;

std::optional<std::string> cTerminalInput::Next() {
    int count = 0;
    const char* line = el_gets(aState->aEditor, &count);
    if (!line || count <= 0)
        return std::nullopt;
    std::string text(line, static_cast<size_t>(count));
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

void cTerminalInput::Remember(const std::string& line) {
    history(aState->aHistory, &aState->aEvent, H_ENTER, line.c_str());
}
