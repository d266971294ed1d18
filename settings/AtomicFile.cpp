#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

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

// Permissions of the new file: those of the old one, else what the umask allows.
mode_t TargetMode(const std::string& target)
{
    struct stat info {};
    if (stat(target.c_str(), &info) == 0)
        return info.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

cAtomicFile::cAtomicFile(const std::string& target) : aTarget(ResolveTarget(target))
{
    std::string pattern = aTarget + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        Fail("cannot create a temporary file beside it", errno);
        return;
    }
    aTempPath = pattern;
    fchmod(fd, TargetMode(aTarget));
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
