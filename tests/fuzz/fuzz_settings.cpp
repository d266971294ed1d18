// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: arbitrary bytes as Korund.ini. Reading gives settings (or a
// refusal), never more; writing the settings back keeps the file readable
// with exactly those settings.
#include "KorundSettings.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A private directory for the file, on a RAM disk where there is one.
const std::string& WorkFile() {
    static const std::string path = [] {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/korund-fuzz-ini-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern + "/Korund.ini";
    }();
    return path;
}

bool SameSettings(const cKorundSettings& a, const cKorundSettings& b) {
    for (const cSettingKey& key : SettingKeys())
        if (a.*key.aField != b.*key.aField)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = WorkFile();
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            std::abort();
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    std::string refusal;
    cKorundSettings settings = ReadKorundIni(path, &refusal);
    ClampCapacities(settings);
    if (!refusal.empty())
        return 0;

    // Every key changed, so each is written into the file's own lines.
    cKorundSettings changed = settings;
    for (const cSettingKey& key : SettingKeys())
        changed.*key.aField = (changed.*key.aField ^ 0x5A5A) + 1;
    std::string error;
    if (!WriteKorundIni(path, changed, &error)) {
        std::fprintf(stderr, "write failed: %s\n", error.c_str());
        std::abort();
    }
    const cKorundSettings again = ReadKorundIni(path, &refusal);
    if (!refusal.empty() || !SameSettings(again, changed)) {
        std::fprintf(stderr, "written settings do not read back (%s)\n", refusal.c_str());
        std::abort();
    }
    return 0;
}
