// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextFile.h"

#include "FileLinks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string TooLarge(size_t maxBytes) {
    constexpr size_t mebibyte = size_t{1} << 20;
    return "it is larger than " + (maxBytes % mebibyte == 0 ? std::to_string(maxBytes / mebibyte) + " MiB"
                                                            : std::to_string(maxBytes) + " bytes");
}

} // namespace

cFd::~cFd() {
    if (aFd >= 0)
        close(aFd);
}

int OpenTextFile(const std::string& path, size_t maxBytes, std::string& refusal) {
    const std::optional<cFollowedPath> followed = FollowLinks(path, refusal);
    if (!followed)
        return -2;
    // Resolved: a link now in its place came after the check. /proc's are
    // left to the kernel.
    const int noFollow = followed->aPath.starts_with("/proc/") ? 0 : O_NOFOLLOW;
    const int fd = open(followed->aPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow);
    if (fd < 0) {
        if (errno == ENOENT)
            return -1;
        refusal = std::string("cannot open it: ") + std::strerror(errno);
        return -2;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == makedev(1, 3)) {
        close(fd); // the null device: the usual way to say "no file"
        return -1;
    }
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        refusal = S_ISDIR(info.st_mode) ? "it is a directory, not a file" : "it is not a regular file";
        close(fd);
        return -2;
    }
    if (info.st_size > static_cast<off_t>(maxBytes)) {
        refusal = TooLarge(maxBytes);
        close(fd);
        return -2;
    }
    return fd;
}

bool ForEachFileLine(int fd, size_t maxBytes, const std::function<void(std::string_view)>& onLine,
                     std::string& refusal) {
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
        if (total > maxBytes) { // grew since it was checked
            refusal = TooLarge(maxBytes);
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

std::optional<std::vector<std::string>> ReadFileLines(const std::string& path, size_t maxBytes, std::string& refusal) {
    const cFd fd(OpenTextFile(path, maxBytes, refusal));
    if (fd.Get() == -1)
        return std::vector<std::string>();
    if (fd.Get() < 0)
        return std::nullopt;
    std::vector<std::string> lines;
    if (!ForEachFileLine(
            fd.Get(), maxBytes, [&](std::string_view line) { lines.emplace_back(line); }, refusal))
        return std::nullopt;
    return lines;
}
