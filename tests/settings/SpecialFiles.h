// SPDX-License-Identifier: GPL-3.0-or-later
// Special files in a test directory: FIFOs, sockets, device nodes and links.
#pragma once

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

inline bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0644) == 0; }

// A bound Unix socket; the descriptor is closed again, the node stays.
inline bool MakeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

// A character device like /dev/full (only where the process may make one).
inline bool MakeDevice(const std::string& path) { return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0; }

// The file type bits of a path itself (links not followed); 0 when absent.
inline mode_t TypeOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}
