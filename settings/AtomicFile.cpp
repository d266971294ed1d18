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

// A symbolic link is replaced through its target, so the link survives.
std::string ResolveTarget(const std::string& target)
{
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return target;
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(target.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : target;
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

cAtomicFile::cAtomicFile(const std::string& target) : aTarget(ResolveTarget(target))
{
    std::string path;
    const int fd = CreateTemporary(aTarget, path);
    if (fd < 0) {
        Fail("cannot create a temporary file beside it", errno);
        return;
    }
    aTempPath = path;
    // A replaced file keeps its permissions.
    struct stat old {};
    if (stat(aTarget.c_str(), &old) == 0)
        fchmod(fd, old.st_mode & 07777);
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
