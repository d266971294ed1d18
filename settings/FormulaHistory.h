// SPDX-License-Identifier: GPL-3.0-or-later
// The formulas a user has calculated, kept across runs in one per-user file
// that the desktop program and korund-cli share: UTF-8, one entry per line,
// oldest first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class cFormulaHistory {
public:
    static constexpr size_t aMaxEntries = 1000;
    static constexpr size_t aMaxEntryBytes = 16384; // longer formulas are not kept
    static constexpr size_t aMaxFileBytes = aMaxEntries * (aMaxEntryBytes + 1);

    // An empty path keeps the history in memory only.
    explicit cFormulaHistory(std::string path);
    // $XDG_STATE_HOME/korund/history, else ~/.local/state/korund/history.
    static std::string DefaultPath();

    // Reads the file. A line that is no entry (not UTF-8, a control
    // character, too long) is skipped; a file that cannot be read leaves the
    // history empty. Never blocks on a FIFO or device.
    void Load();
    // Adds an entry as the newest; line breaks become blanks. Empty text, a
    // repeat of the newest entry and a text over aMaxEntryBytes are ignored
    // (false).
    bool Add(std::string_view formula);
    // Writes what is on disk now (another program may have added to it)
    // followed by this run's new entries, the newest aMaxEntries of them,
    // replacing the file atomically, all under a lock on NAME.lock beside
    // it. A file that cannot be read completely (refused, unreadable, over
    // aMaxFileBytes) is never written over. False, with the reason, when
    // the file is not written; it is then untouched and the new entries
    // stay unsaved, for the next Save.
    bool Save(std::string* error = nullptr);
    const std::vector<std::string>& Entries() const { return aEntries; }
    const std::string& Path() const { return aPath; }

private:
    // The entries of the file (none for a missing file); false with the
    // reason when it is not read completely.
    bool ReadEntries(std::vector<std::string>& entries, std::string& refusal) const;

    std::string aPath;
    std::vector<std::string> aEntries;
    std::vector<std::string> aUnsaved; // added since the last Load or Save
};
