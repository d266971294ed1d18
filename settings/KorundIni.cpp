// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing Korund.ini.
#include "AtomicFile.h"
#include "IniText.h"
#include "KorundSettings.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace {

// The file's lines without their '\n' (a CR stays with its line).
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return lines;
}

bool IsBlankLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return TrimBlanks(line).empty();
}

// Whole file content, empty for a missing file; nullopt when it exists but
// cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path)
{
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return content.str();
}

// Position of the first key line of a section (first such key wins, like reading).
std::optional<size_t> FindKey(const std::vector<std::string>& lines, std::string_view section, std::string_view key)
{
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
std::optional<size_t> SectionInsertPoint(const std::vector<std::string>& lines, std::string_view section)
{
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

cKorundSettings ReadKorundIni(const std::string& path)
{
    cKorundSettings settings;
    for (const cSettingKey& key : SettingKeys())
        settings.*key.aField = key.aDefault;

    std::ifstream in(path, std::ios::binary);
    if (!in)
        return settings;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<std::string> lines = SplitLines(text);
    for (const cSettingKey& key : SettingKeys()) {
        if (const auto at = FindKey(lines, key.aSection, key.aKey)) {
            if (const auto value = ParseWholeNumber(ClassifyIniLine(lines[*at]).aValue))
                settings.*key.aField = *value;
        }
    }
    return settings;
}

bool WriteKorundIni(const std::string& path, const cKorundSettings& settings)
{
    const std::optional<std::string> old = ReadWholeFile(path);
    if (!old)
        return false;
    std::vector<std::string> lines = SplitLines(*old);
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
    if (!file.IsOpen())
        return false;
    for (const std::string& line : lines) {
        std::fwrite(line.data(), 1, line.size(), file.Stream());
        std::fputc('\n', file.Stream());
    }
    return file.Commit();
}
