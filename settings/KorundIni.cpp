// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing Korund.ini.
#include "AtomicFile.h"
#include "IniReports.h"
#include "IniText.h"
#include "KorundSettings.h"
#include "TextFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>

namespace {

bool IsBlankLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return TrimBlanks(line).empty();
}

int OpenIni(const std::string& path, std::string& refusal) { return OpenTextFile(path, kMaxIniBytes, refusal); }

bool ForEachLine(int fd, const std::function<void(std::string_view)>& onLine, std::string& refusal) {
    return ForEachFileLine(fd, kMaxIniBytes, onLine, refusal);
}

std::optional<std::vector<std::string>> ReadLines(const std::string& path, std::string& refusal) {
    return ReadFileLines(path, kMaxIniBytes, refusal);
}

// Position of the first key line of a section (first such key wins, like reading).
std::optional<size_t> FindKey(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const cIniLine line = ClassifyIniLine(lines[i]);
        if (line.aKind == cIniLine::eKind::Section)
            inSection = SameIniName(line.aName, section);
        else if (inSection && line.aKind == cIniLine::eKind::Value && SameIniName(line.aName, key))
            return i;
    }
    return std::nullopt;
}

// Where a new key of the section goes: after the last non-blank line of the
// section's first block; nullopt when the section does not exist.
std::optional<size_t> SectionInsertPoint(const std::vector<std::string>& lines, std::string_view section) {
    std::optional<size_t> insert;
    for (size_t i = 0; i < lines.size(); ++i) {
        const cIniLine line = ClassifyIniLine(lines[i]);
        if (line.aKind == cIniLine::eKind::Section) {
            if (insert)
                break;
            if (SameIniName(line.aName, section))
                insert = i + 1;
        } else if (insert && !IsBlankLine(lines[i])) {
            insert = i + 1;
        }
    }
    return insert;
}

} // namespace

cKorundSettings ReadKorundIni(const std::string& path, std::string* refusal, std::vector<cIniReport>* reports) {
    cKorundSettings settings;
    const auto& keys = SettingKeys();
    for (const cSettingKey& key : keys)
        settings.*key.aField = key.aDefault;

    std::string reason;
    const cFd fd(OpenIni(path, reason));
    if (fd.Get() == -1)
        return settings;
    // Line by line; the first line of a key in its section decides, also
    // when its value is no whole number.
    std::array<bool, 12> decided{};
    std::string sectionName;
    cKorundSettings read = settings;
    std::vector<cIniReport> notWhole;
    const bool whole = fd.Get() >= 0 &&
                       ForEachLine(
                           fd.Get(),
                           [&](std::string_view text) {
                               const cIniLine line = ClassifyIniLine(text);
                               if (line.aKind == cIniLine::eKind::Section) {
                                   sectionName = line.aName;
                                   return;
                               }
                               if (line.aKind != cIniLine::eKind::Value)
                                   return;
                               for (size_t i = 0; i < keys.size(); ++i) {
                                   if (decided[i] || !SameIniName(sectionName, keys[i].aSection) ||
                                       !SameIniName(line.aName, keys[i].aKey))
                                       continue;
                                   decided[i] = true;
                                   if (const auto value = ParseWholeNumber(line.aValue))
                                       read.*keys[i].aField = *value;
                                   else
                                       notWhole.push_back({keys[i].aKey, std::string(line.aValue),
                                                           "is not a whole number", std::to_string(keys[i].aDefault)});
                               }
                           },
                           reason);
    if (!whole) {
        if (refusal)
            *refusal = reason;
        return settings;
    }
    if (reports)
        reports->insert(reports->end(), notWhole.begin(), notWhole.end());
    return read;
}

std::vector<cIniReport> ClampCapacityReports(cKorundSettings& settings) {
    struct cBound {
        const char* key;
        int32_t cKorundSettings::*field;
        int32_t most;
    };
    const cBound bounds[] = {{"MaxConst", &cKorundSettings::MaxConst, kMaxCapacity},
                             {"MaxFunc", &cKorundSettings::MaxFunc, kMaxCapacity},
                             {"RefAlloc", &cKorundSettings::RefAlloc, kMaxRefAlloc}};
    std::vector<cIniReport> reports;
    for (const cBound& bound : bounds) {
        int32_t& value = settings.*bound.field;
        const int32_t clamped = std::clamp(value, 0, bound.most);
        if (clamped == value)
            continue;
        reports.push_back({bound.key, std::to_string(value),
                           value < 0 ? "is below 0" : "is above the maximum of " + std::to_string(bound.most),
                           std::to_string(clamped)});
        value = clamped;
    }
    return reports;
}

std::vector<std::string> ClampCapacities(cKorundSettings& settings) {
    std::vector<std::string> notes;
    for (const cIniReport& report : ClampCapacityReports(settings))
        notes.push_back(IniReportLine(report));
    return notes;
}

bool WriteKorundIni(const std::string& path, const cKorundSettings& settings, std::string* error) {
    std::string reason;
    std::optional<std::vector<std::string>> old = ReadLines(path, reason);
    if (!old) {
        if (error)
            *error = reason;
        return false;
    }
    std::vector<std::string> lines = std::move(*old);
    const bool crlf = !lines.empty() && !lines.front().empty() && lines.front().back() == '\r';
    const std::string cr = crlf ? "\r" : "";

    for (const cSettingKey& key : SettingKeys()) {
        const std::string entry = std::string(key.aKey) + "=" + std::to_string(settings.*key.aField) + cr;
        if (const auto at = FindKey(lines, key.aSection, key.aKey)) {
            lines[*at] = entry;
        } else if (const auto insert = SectionInsertPoint(lines, key.aSection)) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insert), entry);
        } else {
            if (!lines.empty() && !IsBlankLine(lines.back()))
                lines.push_back(cr);
            std::string header = "[";
            header += key.aSection;
            header += ']';
            header += cr;
            lines.push_back(std::move(header));
            lines.push_back(entry);
        }
    }

    cAtomicFile file(path);
    if (!file.IsOpen()) {
        if (error)
            *error = file.Error();
        return false;
    }
    for (const std::string& line : lines) {
        std::fwrite(line.data(), 1, line.size(), file.Stream());
        std::fputc('\n', file.Stream());
    }
    if (!file.Commit()) {
        if (error)
            *error = file.Error();
        return false;
    }
    return true;
}
