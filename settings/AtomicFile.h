// SPDX-License-Identifier: GPL-3.0-or-later
// Replaces a file only once its new content has been written completely:
// the content goes into a temporary file in the same directory, which
// Commit() renames over the target. Without Commit() the temporary file is
// removed and the target stays as it was.
//
// The temporary file has no name while it is written (O_TMPFILE), so a
// process killed meanwhile leaves nothing behind; Commit() links it as
// NAME.tmpPID-N just before the rename. Where the file system has no unnamed
// files it is created under that name, and every save removes the leftovers
// NAME.tmpPID-N of processes that no longer run.
//
// Only a regular file is replaced, also when a symbolic link leads to it
// (the link stays); a directory, device, FIFO or socket, a link that leads
// nowhere or loops, and a link that FollowLinks refuses are refused and
// left untouched. The new file keeps the old one's owner and group where the
// process may set them, and its permissions without set-user-ID and
// set-group-ID.
#pragma once

#include <cstdio>
#include <string>

class cAtomicFile {
public:
    // Checks the target and creates the temporary file; check IsOpen() (and
    // Error()) afterwards.
    explicit cAtomicFile(const std::string& target);
    ~cAtomicFile();
    cAtomicFile(const cAtomicFile&) = delete;
    cAtomicFile& operator=(const cAtomicFile&) = delete;

    bool IsOpen() const { return aStream != nullptr; }
    // The stream to write the new content to; null when not open.
    std::FILE* Stream() const { return aStream; }

    // Flushes, syncs and closes the stream and renames the temporary file
    // over the target. False (target untouched) when anything fails,
    // including an earlier write error on the stream.
    bool Commit();
    // Reason of the last failure, empty when there was none.
    const std::string& Error() const { return aError; }

private:
    void Discard();
    void Fail(const char* what, int error);

    std::string aTarget;   // symbolic links resolved
    std::string aTempPath; // empty while the temporary file has no name
    std::FILE* aStream = nullptr;
    std::string aError;
};
