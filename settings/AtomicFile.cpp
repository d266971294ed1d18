// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// What a path names, for a refusal.
const char* KindName(mode_t mode)
{
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
std::string ResolveTarget(const std::string& target, std::string& refusal)
{
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0)
        return target; // a new file (or a failure that creating it reports)
    std::string resolved = target;
    if (S_ISLNK(info.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(realpath(target.c_str(), nullptr), &std::free);
        if (!real) {
            refusal = errno == ENOENT ? "the symbolic link leads to nothing"
                                      : std::string("the symbolic link cannot be followed: ") + std::strerror(errno);
            return {};
        }
        resolved = real.get();
        if (stat(resolved.c_str(), &info) != 0) {
            refusal = std::string("the symbolic link cannot be followed: ") + std::strerror(errno);
            return {};
        }
    }
    if (!S_ISREG(info.st_mode)) {
        refusal = std::string("it is ") + KindName(info.st_mode) + ", not a regular file";
        return {};
    }
    return resolved;
}

// Creates a new file beside the target, readable and writable as the umask
// allows; -1 with errno set when that fails.
int CreateTemporary(const std::string& target, std::string& path)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

cAtomicFile::cAtomicFile(const std::string& target)
{
    std::string refusal;
    aTarget = ResolveTarget(target, refusal);
    if (aTarget.empty()) {
        aError = refusal;
        return;
    }
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
    }
    aStream = fdopen(fd, "wb");
    if (!aStream) {
        Fail("cannot open the temporary file", errno);
        close(fd);
        Discard();
    }
}

cAtomicFile::~cAtomicFile()
{
    Discard();
}

void cAtomicFile::Fail(const char* what, int error)
{
    aError = what;
    if (error != 0) {
        aError += ": ";
        aError += std::strerror(error);
    }
}

void cAtomicFile::Discard()
{
    if (aStream) {
        std::fclose(aStream);
        aStream = nullptr;
    }
    if (!aTempPath.empty()) {
        unlink(aTempPath.c_str());
        aTempPath.clear();
    }
}

bool cAtomicFile::Commit()
{
    if (!aStream) {
        if (aError.empty())
            aError = "not open";
        return false;
    }
    errno = 0;
    bool good = std::fflush(aStream) == 0 && !std::ferror(aStream);
    good = good && fsync(fileno(aStream)) == 0;
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
