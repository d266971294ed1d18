// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLinks.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr int kMaxLinks = 40; // as the kernel allows

// The names of a path, last first, so the next one is at the back.
void PushNames(std::vector<std::string>& pending, const std::string& path) {
    std::vector<std::string> names;
    for (size_t at = 0; at <= path.size();) {
        const size_t slash = std::min(path.find('/', at), path.size());
        if (slash > at)
            names.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    pending.insert(pending.end(), names.rbegin(), names.rend());
}

std::string Parent(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& dir, const std::string& name) { return dir == "/" ? "/" + name : dir + "/" + name; }

// The protected-symlink rule for a link in folder.
bool MayFollow(const struct stat& link, const std::string& folder) {
    struct stat dir {};
    if (stat(folder.c_str(), &dir) != 0)
        return false;
    const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == geteuid() || link.st_uid == dir.st_uid;
}

} // namespace

std::optional<cFollowedPath> FollowLinks(const std::string& path, std::string& refusal) {
    std::vector<std::string> pending;
    PushNames(pending, path);
    std::string resolved = "/";
    if (path.empty() || path[0] != '/') {
        std::vector<char> cwd(PATH_MAX);
        if (!getcwd(cwd.data(), cwd.size())) {
            refusal = std::string("cannot tell the current folder: ") + std::strerror(errno);
            return std::nullopt;
        }
        resolved = cwd.data();
    }
    cFollowedPath result;
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        if (name == ".")
            continue;
        if (name == "..") {
            resolved = Parent(resolved);
            continue;
        }
        const std::string candidate = Join(resolved, name);
        struct stat info {};
        if (lstat(candidate.c_str(), &info) != 0)
            info.st_mode = 0;
        if (!S_ISLNK(info.st_mode)) {
            resolved = candidate;
            if (!S_ISDIR(info.st_mode)) {
                // Absent or no folder: the rest stays as written, and opening it
                // reports what is wrong.
                while (!pending.empty()) {
                    resolved = Join(resolved, pending.back());
                    pending.pop_back();
                }
            }
            continue;
        }
        if (resolved == "/proc" || resolved.starts_with("/proc/")) {
            // /proc's links may name no path (pipe:[N]); the kernel follows
            // them, and no other user can plant one.
            resolved = candidate;
            result.aLastWasLink = result.aLastWasLink || pending.empty();
            while (!pending.empty()) {
                resolved = Join(resolved, pending.back());
                pending.pop_back();
            }
            break;
        }
        if (++links > kMaxLinks) {
            refusal = std::string("the symbolic link cannot be followed: ") + std::strerror(ELOOP);
            return std::nullopt;
        }
        if (!MayFollow(info, resolved)) {
            refusal = "the symbolic link " + candidate +
                      " is not followed: it lies in a folder that anyone may write to and belongs neither to "
                      "you nor to the folder's owner";
            return std::nullopt;
        }
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = readlink(candidate.c_str(), target.data(), target.size() - 1);
        if (length < 0) {
            refusal = std::string("the symbolic link cannot be followed: ") + std::strerror(errno);
            return std::nullopt;
        }
        const std::string to(target.data(), static_cast<size_t>(length));
        result.aLastWasLink = result.aLastWasLink || pending.empty();
        if (!to.empty() && to[0] == '/')
            resolved = "/";
        PushNames(pending, to);
    }
    result.aPath = resolved;
    return result;
}
