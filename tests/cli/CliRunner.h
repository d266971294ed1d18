// SPDX-License-Identifier: GPL-3.0-or-later
// Runs korund-cli as a child process with the given arguments and standard
// input, and collects its standard output, standard error and exit status.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

struct cCliResult {
    std::string aOut;
    std::string aErr;
    int aStatus = -1; // exit status, or 128 + signal

    // Standard output split into lines (without their '\n').
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < aOut.size()) {
            size_t end = aOut.find('\n', start);
            if (end == std::string::npos)
                end = aOut.size();
            lines.push_back(aOut.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }
};

// Runs program with the arguments (argv[0] included). onOutput runs with
// the child's pid and its output so far after every piece of standard
// output that arrives.
inline cCliResult RunProgram(const char* program, std::vector<std::string> all, const std::string& input = "",
                             const std::function<void(pid_t, const std::string&)>& onOutput = {},
                             bool keepInputOpen = false) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);

    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    cCliResult result;
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }

    // Inputs of the tests fit into the pipe buffer.
    signal(SIGPIPE, SIG_IGN);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0)
        result.aErr = "cannot write input";
    if (!keepInputOpen)
        close(in[1]);

    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.aOut, &result.aErr};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
                if (i == 0 && onOutput)
                    onOutput(pid, result.aOut);
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (keepInputOpen)
        close(in[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.aStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

inline cCliResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                         const std::function<void(pid_t, const std::string&)>& onOutput = {},
                         bool keepInputOpen = false) {
    std::vector<std::string> all{KORUND_CLI};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(KORUND_CLI, std::move(all), input, onOutput, keepInputOpen);
}

// A shell command line, for redirections the runner does not make itself.
inline cCliResult RunShell(const std::string& command) { return RunProgram("/bin/sh", {"sh", "-c", command}); }
