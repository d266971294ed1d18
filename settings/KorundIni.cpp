// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing Korund.ini.
#include "AtomicFile.h"
#include "IniText.h"
#include "KorundSettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>

namespace {

bool IsBlankLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return TrimBlanks(line).empty();
}

// Opens a settings file for reading. Only a regular file of at most
// kMaxIniBytes is read: opened without blocking (a FIFO would wait for a
// writer) and checked before any byte is read. -1 for a missing file,
// -2 with the reason for a refused one.
int OpenIni(const std::string& path, std::string& refusal)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return -1;
        refusal = std::string("cannot open it: ") + std::strerror(errno);
        return -2;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        refusal = S_ISDIR(info.st_mode) ? "it is a directory, not a file" : "it is not a regular file";
        close(fd);
        return -2;
    }
    if (info.st_size > static_cast<off_t>(kMaxIniBytes)) {
        refusal = "it is larger than 1 MiB";
        close(fd);
        return -2;
    }
    return fd;
}

// Hands the file's lines, without their '\n' (a CR stays with its line), to
// onLine one by one; at most kMaxIniBytes are read. False with the reason
// when the file cannot be read whole.
bool ForEachLine(int fd, const std::function<void(std::string_view)>& onLine, std::string& refusal)
{
    std::string line;
    char buffer[16384];
    size_t total = 0;
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            refusal = std::string("cannot read it: ") + std::strerror(errno);
            return false;
        }
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
        if (total > kMaxIniBytes) { // grew since it was checked
            refusal = "it is larger than 1 MiB";
            return false;
        }
        std::string_view rest(buffer, static_cast<size_t>(got));
        for (auto end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
            line.append(rest.substr(0, end));
            onLine(line);
            line.clear();
            rest.remove_prefix(end + 1);
        }
        line.append(rest);
    }
    if (!line.empty())
        onLine(line);
    return true;
}

// Closes a descriptor on every way out.
class cFd {
public:
    explicit cFd(int fd) : aFd(fd) {}
    ~cFd()
    {
        if (aFd >= 0)
            close(aFd);
    }
    cFd(const cFd&) = delete;
    cFd& operator=(const cFd&) = delete;
    int Get() const { return aFd; }

private:
    int aFd;
};

// The file's lines, none for a missing file; nullopt with the reason when it
// exists but is refused or cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::string& path, std::string& refusal)
{
    const cFd fd(OpenIni(path, refusal));
    if (fd.Get() == -1)
        return std::vector<std::string>();
    if (fd.Get() < 0)
        return std::nullopt;
    std::vector<std::string> lines;
    if (!ForEachLine(fd.Get(), [&](std::string_view line) { lines.emplace_back(line); }, refusal))
        return std::nullopt;
    return lines;
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

cKorundSettings ReadKorundIni(const std::string& path, std::string* refusal)
{
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
    const bool whole = fd.Get() >= 0 && ForEachLine(
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
            }
        },
        reason);
    if (!whole) {
        if (refusal)
            *refusal = reason;
        return settings;
    }
    return read;
}

std::vector<std::string> ClampCapacities(cKorundSettings& settings)
{
    struct cBound {
        const char* key;
        int32_t cKorundSettings::*field;
        int32_t most;
    };
    const cBound bounds[] = {{"MaxConst", &cKorundSettings::MaxConst, kMaxCapacity},
                             {"MaxFunc", &cKorundSettings::MaxFunc, kMaxCapacity},
                             {"RefAlloc", &cKorundSettings::RefAlloc, kMaxRefAlloc}};
    std::vector<std::string> notes;
    for (const cBound& bound : bounds) {
        int32_t& value = settings.*bound.field;
        const int32_t clamped = std::clamp(value, 0, bound.most);
        if (clamped == value)
            continue;
        notes.push_back(std::string(bound.key) + "=" + std::to_string(value) + " is " +
                        (value < 0 ? "below 0" : "above the maximum of " + std::to_string(bound.most)) +
                        "; " + std::to_string(clamped) + " is used");
        value = clamped;
    }
    return notes;
}

bool WriteKorundIni(const std::string& path, const cKorundSettings& settings, std::string* error)
{
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
