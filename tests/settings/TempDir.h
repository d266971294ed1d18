// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh directory under /tmp, removed with its content at the end of a test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class cTempDir {
public:
    cTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korund-test-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            aPath = pattern;
    }
    ~cTempDir() {
        std::error_code ignored;
        std::filesystem::permissions(aPath, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(aPath, ignored);
    }
    cTempDir(const cTempDir&) = delete;
    cTempDir& operator=(const cTempDir&) = delete;

    std::string File(const std::string& name) const { return (aPath / name).string(); }
    const std::filesystem::path& Path() const { return aPath; }

private:
    std::filesystem::path aPath;
};

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
