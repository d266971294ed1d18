// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of both programs: from the settings file to a running engine,
// with what the file said that could not be used and the fallback when the
// capacities do not fit in memory. What each program does with a refused
// file and how it shows the reports is its own.
#pragma once

#include "IniReports.h"
#include "KorundSettings.h"

#include <functional>
#include <string>
#include <vector>

struct cStartSettings {
    std::string aIniPath;
    cKorundSettings aSettings;           // clamped into the ranges of the capacities
    std::string aRefusal;                // why the file was refused (the defaults are used); empty when read
    std::vector<cIniReport> aValues;     // values that are no whole number or do not fit their setting
    std::vector<cIniReport> aCapacities; // capacities brought into their ranges
};

// Reads the settings file at iniPath and brings its capacities into range.
cStartSettings ReadStartSettings(const std::string& iniPath);

// Applies settings and runs init (cFormulaEngine::Init in the programs). When
// that runs out of memory, each capacity (MaxConst, MaxFunc, RefAlloc) that
// differs from its default is set back to the default and init runs once
// more; the keys set back are returned as "MaxConst=100000". A failure with
// the defaults propagates.
std::vector<std::string> InitWithDefaultCapacitiesOnFailure(cKorundSettings& settings,
                                                            const std::function<void()>& init);

// "A", "A and B", "A, B and C".
std::string JoinedKeys(const std::vector<std::string>& keys);

// The engine's class-wide tables, from Init (with the fallback above) to
// FreeStatics; pending edits are cancelled first.
class cEngineStatics {
public:
    // The keys set back, as InitWithDefaultCapacitiesOnFailure.
    explicit cEngineStatics(cKorundSettings& settings);
    ~cEngineStatics();
    cEngineStatics(const cEngineStatics&) = delete;
    cEngineStatics& operator=(const cEngineStatics&) = delete;
    const std::vector<std::string>& Reset() const { return aReset; }

private:
    std::vector<std::string> aReset;
};
