// SPDX-License-Identifier: GPL-3.0-or-later
// Runs korund-cli on a pseudo-terminal, as a user at a terminal would:
// keys are written to the terminal, and its screen output is collected.
#pragma once

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

class cPtySession {
public:
    // env: extra "NAME=value" entries for the child.
    cPtySession(std::vector<std::string> args, const std::vector<std::string>& env) {
        winsize size{};
        size.ws_row = 30;
        size.ws_col = 100;
        aPid = forkpty(&aFd, nullptr, nullptr, &size);
        if (aPid == 0) {
            for (const std::string& entry : env)
                putenv(const_cast<char*>(entry.c_str()));
            std::vector<char*> argv{const_cast<char*>(KORUND_CLI)};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(KORUND_CLI, argv.data());
            _exit(127);
        }
    }
    ~cPtySession() {
        if (aPid > 0 && aStatus < 0) {
            kill(aPid, SIGKILL);
            waitpid(aPid, nullptr, 0);
        }
        if (aFd >= 0)
            close(aFd);
    }
    cPtySession(const cPtySession&) = delete;
    cPtySession& operator=(const cPtySession&) = delete;

    bool Started() const { return aPid > 0 && aFd >= 0; }

    // Types keys once the program waits for them in the line editor (the
    // terminal is out of canonical mode): keys typed earlier are taken by
    // the terminal's own line discipline, which turns Ctrl-D into a NUL.
    void Send(const std::string& keys) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        termios mode{};
        while (tcgetattr(aFd, &mode) == 0 && (mode.c_lflag & ICANON) && std::chrono::steady_clock::now() < end)
            ReadSome(5);
        SendNow(keys);
    }
    // Types keys at once, as during a calculation.
    void SendNow(const std::string& keys) { (void)!write(aFd, keys.data(), keys.size()); }

    // Reads until the output after `from` holds text; false after the timeout.
    bool WaitFor(const std::string& text, size_t from = 0, int timeoutMs = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (aOutput.find(text, from) == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count())))
                return false;
        }
        return true;
    }

    // Reads until the child ends; its exit status, or 128 + signal, or -1.
    int Wait(int timeoutMs = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(aPid, &status, WNOHANG) == aPid) {
                while (ReadSome(50)) {
                }
                aStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return aStatus;
            }
            ReadSome(50);
        }
        return -1;
    }

    const std::string& Output() const { return aOutput; }
    size_t Mark() const { return aOutput.size(); }

private:
    bool ReadSome(int timeoutMs) {
        pollfd fd{aFd, POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(aFd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        aOutput.append(buffer, static_cast<size_t>(n));
        return true;
    }

    pid_t aPid = -1;
    int aFd = -1;
    int aStatus = -1;
    std::string aOutput;
};
