// SPDX-License-Identifier: GPL-3.0-or-later
// Reading small text files that a user may have replaced by anything: only a
// regular file of bounded size is read, opened without blocking (a FIFO
// would wait for a writer) and checked before any byte is read. Links are
// followed as FollowLinks allows; the null device reads as no file.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Closes a descriptor on every way out.
class cFd {
public:
    explicit cFd(int fd) : aFd(fd) {}
    ~cFd();
    cFd(const cFd&) = delete;
    cFd& operator=(const cFd&) = delete;
    int Get() const { return aFd; }

private:
    int aFd;
};

// A descriptor open for reading; -1 for a missing file (or /dev/null), -2 with the reason
// for one that is refused (not a regular file, larger than maxBytes) or
// cannot be opened.
int OpenTextFile(const std::string& path, size_t maxBytes, std::string& refusal);
// Hands the lines, without their '\n' (a CR stays with its line), to onLine
// one by one; at most maxBytes are read. False with the reason when the
// file cannot be read whole.
bool ForEachFileLine(int fd, size_t maxBytes, const std::function<void(std::string_view)>& onLine,
                     std::string& refusal);
// Every line of the file, none for a missing file; nullopt with the reason
// when it exists but is refused or cannot be read.
std::optional<std::vector<std::string>> ReadFileLines(const std::string& path, size_t maxBytes, std::string& refusal);
