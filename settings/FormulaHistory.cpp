// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormulaHistory.h"

#include "AtomicFile.h"
#include "FileLinks.h"
#include "KorundSettings.h"
#include "TextFile.h"
#include "cFormulaText.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

namespace {

// A line of the file that holds an entry: UTF-8 text without control
// characters other than tab, short enough.
bool IsEntry(std::string_view line) {
    if (line.empty() || line.size() > cFormulaHistory::aMaxEntryBytes)
        return false;
    for (size_t at = 0; at < line.size();) {
        const auto foreign = FindForeignChar(line.substr(at));
        if (!foreign)
            return true;
        const size_t offset = at + foreign->aOffset;
        const auto lead = static_cast<unsigned char>(line[offset]);
        if (foreign->aLength == 1 && (lead < 0x20 || lead >= 0x7F))
            return false; // a control character or a byte that is no UTF-8
        at = offset + foreign->aLength;
    }
    return true;
}

// An exclusive flock on NAME.lock beside the history (links resolved), for
// as long as it lives. Another holder is waited for up to kLockWait.
class cHistoryLock {
public:
    static constexpr auto kLockWait = std::chrono::seconds(10);

    cHistoryLock(const std::string& path, std::string& error) {
        const std::optional<cFollowedPath> followed = FollowLinks(path, error);
        if (!followed)
            return;
        const std::string lockPath = followed->aPath + ".lock";
        aFd = open(lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
        struct stat info {};
        if (aFd < 0 || fstat(aFd, &info) != 0 || !S_ISREG(info.st_mode)) {
            error = "cannot open its lock file " + lockPath + (aFd < 0 ? std::string(": ") + std::strerror(errno) : "");
            Release();
            return;
        }
        const auto until = std::chrono::steady_clock::now() + kLockWait;
        while (flock(aFd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= until) {
                error = "cannot lock " + lockPath + ": " +
                        (errno == EWOULDBLOCK ? std::string("another program holds it") : std::strerror(errno));
                Release();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ~cHistoryLock() { Release(); }
    cHistoryLock(const cHistoryLock&) = delete;
    cHistoryLock& operator=(const cHistoryLock&) = delete;
    bool Held() const { return aFd >= 0; }

private:
    void Release() {
        if (aFd >= 0)
            close(aFd); // and with it the lock
        aFd = -1;
    }
    int aFd = -1;
};

void KeepNewest(std::vector<std::string>& entries) {
    if (entries.size() > cFormulaHistory::aMaxEntries)
        entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(cFormulaHistory::aMaxEntries));
}

} // namespace

cFormulaHistory::cFormulaHistory(std::string path) : aPath(std::move(path)) {}

std::string cFormulaHistory::DefaultPath() { return UserKorundStatePath("history"); }

bool cFormulaHistory::ReadEntries(std::vector<std::string>& entries, std::string& refusal) const {
    entries.clear();
    if (aPath.empty())
        return true;
    const cFd fd(OpenTextFile(aPath, aMaxFileBytes, refusal));
    if (fd.Get() == -1)
        return true;
    const bool whole = fd.Get() >= 0 && ForEachFileLine(
                                            fd.Get(), aMaxFileBytes,
                                            [&](std::string_view line) {
                                                if (!line.empty() && line.back() == '\r')
                                                    line.remove_suffix(1);
                                                if (IsEntry(line))
                                                    entries.emplace_back(line);
                                            },
                                            refusal);
    if (!whole) {
        entries.clear();
        return false;
    }
    KeepNewest(entries);
    return true;
}

void cFormulaHistory::Load() {
    std::string refusal;
    ReadEntries(aEntries, refusal);
    aUnsaved.clear();
}

bool cFormulaHistory::Add(std::string_view formula) {
    std::string entry(formula);
    std::replace_if(
        entry.begin(), entry.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    if (entry.find_first_not_of(" \t") == std::string::npos || !IsEntry(entry))
        return false;
    if (!aEntries.empty() && aEntries.back() == entry)
        return false;
    aEntries.push_back(entry);
    aUnsaved.push_back(std::move(entry));
    KeepNewest(aEntries);
    KeepNewest(aUnsaved);
    return true;
}

bool cFormulaHistory::Save(std::string* error) {
    if (aPath.empty())
        return true;
    std::string reason;
    auto fail = [&](std::string why) {
        if (error)
            *error = std::move(why);
        return false;
    };
    if (!MakeParentDirs(aPath, reason))
        return fail(reason);
    // Read, merge and replace under the lock, so that a program saving at
    // the same time adds its entries before or after ours, never over them.
    const cHistoryLock lock(aPath, reason);
    if (!lock.Held())
        return fail(reason);
    std::vector<std::string> merged;
    if (!ReadEntries(merged, reason))
        return fail("it could not be read completely (" + reason +
                    "), so it is not written over, and this session's formulas are not saved in it");
    for (std::string& entry : aUnsaved)
        if (merged.empty() || merged.back() != entry)
            merged.push_back(entry);
    KeepNewest(merged);

    cAtomicFile file(aPath);
    if (file.IsOpen()) {
        for (const std::string& entry : merged) {
            std::fwrite(entry.data(), 1, entry.size(), file.Stream());
            std::fputc('\n', file.Stream());
        }
    }
    if (!file.IsOpen() || !file.Commit()) {
        if (error)
            *error = file.Error();
        return false;
    }
    aEntries = std::move(merged);
    aUnsaved.clear();
    return true;
}
