// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormulaHistory.h"

#include "AtomicFile.h"
#include "KorundSettings.h"
#include "TextFile.h"
#include "cFormulaText.h"

#include <algorithm>
#include <cstdio>

namespace {

// A line of the file that holds an entry: UTF-8 text without control
// characters other than tab, short enough.
bool IsEntry(std::string_view line)
{
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

void KeepNewest(std::vector<std::string>& entries)
{
    if (entries.size() > cFormulaHistory::aMaxEntries)
        entries.erase(entries.begin(),
                      entries.end() - static_cast<std::ptrdiff_t>(cFormulaHistory::aMaxEntries));
}

} // namespace

cFormulaHistory::cFormulaHistory(std::string path) : aPath(std::move(path)) {}

std::string cFormulaHistory::DefaultPath()
{
    return UserKorundStatePath("history");
}

std::vector<std::string> cFormulaHistory::ReadEntries() const
{
    std::vector<std::string> entries;
    if (aPath.empty())
        return entries;
    std::string refusal;
    const cFd fd(OpenTextFile(aPath, aMaxFileBytes, refusal));
    if (fd.Get() < 0)
        return entries;
    ForEachFileLine(
        fd.Get(), aMaxFileBytes,
        [&](std::string_view line) {
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (IsEntry(line))
                entries.emplace_back(line);
        },
        refusal);
    KeepNewest(entries);
    return entries;
}

void cFormulaHistory::Load()
{
    aEntries = ReadEntries();
    aUnsaved.clear();
}

bool cFormulaHistory::Add(std::string_view formula)
{
    std::string entry(formula);
    std::replace_if(entry.begin(), entry.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
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

bool cFormulaHistory::Save(std::string* error)
{
    if (aPath.empty())
        return true;
    std::vector<std::string> merged = ReadEntries();
    for (std::string& entry : aUnsaved)
        if (merged.empty() || merged.back() != entry)
            merged.push_back(entry);
    KeepNewest(merged);

    std::string reason;
    if (!MakeParentDirs(aPath, reason)) {
        if (error)
            *error = reason;
        return false;
    }
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
