// SPDX-License-Identifier: GPL-3.0-or-later
// Korund.ini: the twelve settings of the number library and the engine,
// read at start-up by the desktop program and korund-cli, written by the
// preferences window.
#pragma once

#include "cLongRealDefaults.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct cIniReport;

// The defaults: those of the number library, and here those of the engine's
// capacities.
struct cKorundSettings {
    // [Calculation]
    int32_t DigitsUse = cLongRealDefaults::kPrecision;
    int32_t DigitsDrop = cLongRealDefaults::kOutputDrop;
    int32_t InputSys = cLongRealDefaults::kInputSystemStandard;
    int32_t OutputSys = cLongRealDefaults::kOutputSystem;
    int32_t MaxExp = cLongRealDefaults::kOutputExpHigh;
    int32_t MinExp = cLongRealDefaults::kOutputExpLow;
    int32_t NativeEps = cLongRealDefaults::kNativeEpsExponent;
    // 0 off, 1 decimal, 2 binary; anything else off
    int32_t EngMode = cLongRealDefaults::kEngOn ? (cLongRealDefaults::kEngBinary ? 2 : 1) : 0;
    int32_t AngleMode = cLongRealDefaults::kAngleMode; // 0 rad, 1 deg, 2 gra
    // [Parser]
    int32_t MaxConst = 100;
    int32_t MaxFunc = 30;
    int32_t RefAlloc = 10;
};

// One key of the file, in the order of reading and writing.
struct cSettingKey {
    const char* aKey;     // "DigitsUse", ...
    const char* aSection; // "Calculation" or "Parser"
    int32_t aDefault;     // as in cKorundSettings{}
    int32_t cKorundSettings::*aField;
};
const std::array<cSettingKey, 12>& SettingKeys();

// Directory of the running executable, with a trailing '/'.
std::string ExecutableDir();

// Where Korund.ini is read from, and where the preferences window writes it.
struct cIniLocation {
    std::string aReadPath;
    std::string aWritePath;
    bool operator==(const cIniLocation&) const = default;
};

// The per-user settings file: $XDG_CONFIG_HOME/korund/Korund.ini, else
// ~/.config/korund/Korund.ini (HOME, else the password database). Empty when
// no absolute home directory is known.
std::string UserKorundIniPath();
// A per-user state file: $XDG_STATE_HOME/korund/NAME, else
// ~/.local/state/korund/NAME. Empty when no absolute home directory is known.
std::string UserKorundStatePath(const std::string& name);

// The choice between Korund.ini beside the executable and the per-user file:
// - a file beside the executable in a writable folder is read and written
//   (a portable install); so is that place when there is no per-user path;
// - otherwise an existing per-user file is read and written;
// - otherwise a file beside the executable (in a read-only folder) is read,
//   and the per-user file written, which takes over from then on;
// - otherwise the per-user file (absent yet) for both.
cIniLocation ChooseKorundIni(const std::string& besidePath, bool besideExists, bool besideDirWritable,
                             const std::string& userPath, bool userExists);
// ChooseKorundIni for this executable and user, or the test override for both.
cIniLocation LocateKorundIni();
// LocateKorundIni().aReadPath.
std::string KorundIniPath();
// Test seam: makes LocateKorundIni() answer path for reading and writing; an
// empty path restores the default.
void SetKorundIniPath(const std::string& path);

// Creates the missing folders above path (new ones private to the user, as
// configuration folders are). False, with the reason, when that fails.
bool MakeParentDirs(const std::string& path, std::string& error);

// The installed data folder, <prefix>/share/korund/, found from the
// executable's folder <prefix>/bin/ (with a trailing '/').
std::string InstalledDataDir();

// The version of this build, as the project defines it.
const char* KorundVersion();

// The largest settings file that is read.
constexpr size_t kMaxIniBytes = size_t{1} << 20;

// Missing file, section or key, or a value that is not a whole number: the
// default (the last is added to *reports). A file that exists but is no
// regular file, is larger than kMaxIniBytes or cannot be read is refused:
// every default, and the reason in *refusal. Never blocks on a FIFO or device.
cKorundSettings ReadKorundIni(const std::string& path, std::string* refusal = nullptr,
                              std::vector<cIniReport>* reports = nullptr);
// Writes the twelve keys, keeping any other lines of an existing file.
// Returns false (the old file untouched, the reason in *error) when the file
// cannot be read as a settings file or cannot be written.
bool WriteKorundIni(const std::string& path, const cKorundSettings& settings, std::string* error = nullptr);

// Capacities a hand-edited file may ask for: MaxConst and MaxFunc at most
// kMaxCapacity, RefAlloc (a 16-bit growth step) at most kMaxRefAlloc, none
// below 0.
constexpr int32_t kMaxCapacity = 100000;
constexpr int32_t kMaxRefAlloc = 65535;
// Brings the capacities into their ranges; one line for the user per change,
// such as "MaxConst=10000000 is above the maximum of 100000; 100000 is used".
std::vector<std::string> ClampCapacities(cKorundSettings& settings);
// The same changes as records (IniReports.h).
std::vector<cIniReport> ClampCapacityReports(cKorundSettings& settings);

// Stores the settings into the cLongReal and cFormulaEngine statics (16-bit
// settings keep their low 16 bits; EngMode maps to aEngOn/aEngBinary).
// Call before cFormulaEngine::Init().
void ApplySettings(const cKorundSettings& settings);

// The seven lines of the engine-state text, from the statics as stored.
std::vector<std::string> EngineStateLines();
