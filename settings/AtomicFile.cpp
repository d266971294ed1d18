// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include "FileLinks.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// What a path names, for a refusal.
const char* KindName(mode_t mode) {
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

// The file to replace: the target itself, or the regular file that a chain
// of symbolic links leads to, so the link survives. Empty with the reason
// when it names anything but a regular file or nothing at all.
std::string ResolveTarget(const std::string& target, std::string& refusal) {
    const std::optional<cFollowedPath> followed = FollowLinks(target, refusal);
    if (!followed)
        return {};
    struct stat info {};
    if (stat(followed->aPath.c_str(), &info) != 0) {
        if (errno == ENOENT && followed->aLastWasLink) {
            refusal = "the symbolic link leads to nothing";
            return {};
        }
        return followed->aPath; // a new file (or a failure that creating it reports)
    }
    if (!S_ISREG(info.st_mode)) {
        refusal = std::string("it is ") + KindName(info.st_mode) + ", not a regular file";
        return {};
    }
    return followed->aPath;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// NAME.tmpPID-N, the name of a temporary file beside target.
std::string TemporaryName(const std::string& target, unsigned number) {
    return target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(number);
}

unsigned gTemporaryCounter = 0;

// The process of a temporary file's name after NAME.tmp ("PID-N"); 0 when
// the name is no such file's.
pid_t LeftoverPid(std::string_view rest) {
    pid_t pid = 0;
    const char* const end = rest.data() + rest.size();
    const auto [dash, error] = std::from_chars(rest.data(), end, pid);
    if (error != std::errc() || dash == rest.data() || dash == end || *dash != '-')
        return 0;
    const std::string_view number(dash + 1, static_cast<size_t>(end - dash - 1));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return 0;
    return pid;
}

// Removes target's temporary files NAME.tmpPID-N that this user's processes
// left when they were killed: those whose process no longer runs.
void RemoveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = target.substr(target.rfind('/') + 1) + ".tmp";
    struct cDirCloser {
        void operator()(DIR* d) const { closedir(d); }
    };
    const std::unique_ptr<DIR, cDirCloser> dir(opendir(folder.c_str()));
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const pid_t pid = LeftoverPid(name.substr(prefix.size()));
        if (pid <= 0 || pid == getpid() || kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        struct stat info {};
        if (fstatat(dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == geteuid())
            unlinkat(dirfd(dir.get()), entry->d_name, 0);
    }
}

// An unnamed file in target's folder where the file system has them and
// /proc lets it be linked later; otherwise a new file NAME.tmpPID-N, whose
// name goes to path. -1 with errno set when neither can be made.
int CreateTemporary(const std::string& target, std::string& path) {
    path.clear();
    if (access("/proc/self/fd", X_OK) == 0) {
        const int fd = open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = TemporaryName(target, gTemporaryCounter++);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives an unnamed temporary file its name beside target; false with errno.
bool NameTemporary(int fd, const std::string& target, std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = TemporaryName(target, gTemporaryCounter++);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    path.clear();
    return false;
}

} // namespace

cAtomicFile::cAtomicFile(const std::string& target) {
    std::string refusal;
    aTarget = ResolveTarget(target, refusal);
    if (aTarget.empty()) {
        aError = refusal;
        return;
    }
    RemoveLeftovers(aTarget);
    std::string path;
    const int fd = CreateTemporary(aTarget, path);
    if (fd < 0) {
        Fail("cannot create a temporary file beside it", errno);
        return;
    }
    aTempPath = path;
    // A replaced file keeps its owner and group where the process may set
    // them, and its permissions, but never set-user-ID or set-group-ID. The
    // group's permissions go with the group: none when it cannot be kept.
    struct stat old {};
    if (stat(aTarget.c_str(), &old) == 0) {
        mode_t mode = old.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID);
        if (fchown(fd, old.st_uid, old.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            struct stat made {};
            if (fstat(fd, &made) != 0 || made.st_gid != old.st_gid)
                mode &= ~static_cast<mode_t>(S_IRWXG);
        }
        fchmod(fd, mode);
    } else {
        // The temporary is made private, so that nobody opens it before its
        // mode is final; a new file gets the usual mode.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    aStream = fdopen(fd, "wb");
    if (!aStream) {
        Fail("cannot open the temporary file", errno);
        close(fd);
        Discard();
    }
}

cAtomicFile::~cAtomicFile() { Discard(); }

void cAtomicFile::Fail(const char* what, int error) {
    aError = what;
    if (error != 0) {
        aError += ": ";
        aError += std::strerror(error);
    }
}

void cAtomicFile::Discard() {
    if (aStream) {
        std::fclose(aStream);
        aStream = nullptr;
    }
    if (!aTempPath.empty()) {
        unlink(aTempPath.c_str());
        aTempPath.clear();
    }
}

bool cAtomicFile::Commit() {
    if (!aStream) {
        if (aError.empty())
            aError = "not open";
        return false;
    }
    errno = 0;
    bool good = std::fflush(aStream) == 0 && !std::ferror(aStream);
    good = good && fsync(fileno(aStream)) == 0;
    good = good && (!aTempPath.empty() || NameTemporary(fileno(aStream), aTarget, aTempPath));
    const int writeError = errno;
    const bool closed = std::fclose(aStream) == 0;
    aStream = nullptr;
    if (!good || !closed) {
        Fail("cannot write the file", good ? errno : writeError);
        Discard();
        return false;
    }
    if (std::rename(aTempPath.c_str(), aTarget.c_str()) != 0) {
        Fail("cannot replace the file", errno);
        Discard();
        return false;
    }
    aTempPath.clear();
    aError.clear();
    return true;
}
