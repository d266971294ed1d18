// SPDX-License-Identifier: GPL-3.0-or-later
// Symbolic links in the paths of the files Korund reads and replaces (the
// settings file, the formula history, library files being saved). Every
// link is followed under the kernel's protected-symlink rule, applied here
// whatever the machine's fs.protected_symlinks says: in a sticky folder that
// anyone may write to (such as /tmp), a link is followed only when it
// belongs to this user or to the folder's owner. Another user's link there
// would redirect the file to wherever that user chose.
#pragma once

#include <optional>
#include <string>

struct cFollowedPath {
    std::string aPath;         // absolute, without links; the last name may not exist
    bool aLastWasLink = false; // the path's own last name was a link
};

// The path with every link resolved by the rule above. nullopt with the
// reason when a link is refused or loops. A name that does not exist, and a
// link in /proc (/dev/stdin leads there), end the resolution: it and what
// follows stay as written.
std::optional<cFollowedPath> FollowLinks(const std::string& path, std::string& refusal);
