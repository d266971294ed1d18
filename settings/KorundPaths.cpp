// SPDX-License-Identifier: GPL-3.0-or-later
// Where the settings file and the installed data live.
#include "KorundBuildInfo.h"
#include "KorundSettings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// An environment variable that holds an absolute path; empty otherwise
// (relative values are ignored, as the XDG base directory rules ask).
std::string AbsoluteFromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string HomeDir() {
    if (std::string home = AbsoluteFromEnv("HOME"); !home.empty())
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

} // namespace

namespace {

// An XDG base folder: the variable's absolute value, else home/fallback;
// without a trailing '/'. Empty when no absolute home directory is known.
std::string XdgBaseDir(const char* variable, const char* fallback) {
    std::string base = AbsoluteFromEnv(variable);
    if (base.empty()) {
        const std::string home = HomeDir();
        if (home.empty())
            return {};
        base = home + fallback;
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base;
}

} // namespace

std::string UserKorundIniPath() {
    const std::string config = XdgBaseDir("XDG_CONFIG_HOME", "/.config");
    return config.empty() ? config : config + "/korund/Korund.ini";
}

std::string UserKorundStatePath(const std::string& name) {
    const std::string state = XdgBaseDir("XDG_STATE_HOME", "/.local/state");
    return state.empty() ? state : state + "/korund/" + name;
}

cIniLocation ChooseKorundIni(const std::string& besidePath, bool besideExists, bool besideDirWritable,
                             const std::string& userPath, bool userExists) {
    if (userPath.empty() || (besideExists && besideDirWritable))
        return {besidePath, besidePath};
    if (userExists || !besideExists)
        return {userPath, userPath};
    return {besidePath, userPath};
}

bool MakeParentDirs(const std::string& path, std::string& error) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return true;
    const std::string dir = path.substr(0, slash);
    struct stat info {};
    if (stat(dir.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        error = "\"" + dir + "\" is not a folder";
        return false;
    }
    if (!MakeParentDirs(dir, error))
        return false;
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create the folder \"" + dir + "\": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string InstalledDataDir() { return ExecutableDir() + KORUND_DATADIR_FROM_BINDIR; }

const char* KorundVersion() { return KORUND_VERSION; }
