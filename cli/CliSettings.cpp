// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliSettings.h"

#include "EngineStart.h"
#include "EngineState.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {
constexpr int kExitUsage = 2;
} // namespace

std::optional<std::string> ApplyCliOverrides(const cCliOptions& options, cKorundSettings& settings) {
    if (options.aDigits) {
        // The digits shown are DigitsUse - DigitsDrop; the drop stays.
        const int32_t drop = settings.DigitsDrop >= 0 && settings.DigitsDrop <= UINT16_MAX ? settings.DigitsDrop : 0;
        const int32_t use = NativeDigitsFor(*options.aDigits) + drop;
        if (use > UINT16_MAX)
            return "--digits " + std::to_string(*options.aDigits) + " with DigitsDrop=" + std::to_string(drop) +
                   " needs more than 65535 native digits";
        settings.DigitsUse = use;
        settings.DigitsDrop = drop;
    }
    if (options.aAngle)
        settings.AngleMode = *options.aAngle;
    if (options.aBase)
        settings.InputSys = settings.OutputSys = *options.aBase;
    if (options.aOutputBase)
        settings.OutputSys = *options.aOutputBase;
    return std::nullopt;
}

std::optional<int> LoadCliSettings(const cCliOptions& options, cKorundSettings& settings, std::ostream& err) {
    std::string iniPath = KorundIniPath();
    if (!options.aIniPath.empty()) {
        iniPath = options.aIniPath;
        if (access(iniPath.c_str(), R_OK) != 0) {
            err << "korund-cli: cannot read the settings file " << iniPath << ": " << std::strerror(errno) << '\n';
            return kExitUsage;
        }
    }

    cStartSettings start = ReadStartSettings(iniPath);
    if (!start.aRefusal.empty()) {
        err << "korund-cli: the settings file " << iniPath << " is refused: " << start.aRefusal << '\n';
        return kExitUsage;
    }
    for (const auto* reports : {&start.aValues, &start.aCapacities})
        for (const cIniReport& report : *reports)
            err << "korund-cli: " << iniPath << ": " << IniReportLine(report) << '\n';
    settings = std::move(start.aSettings);

    if (auto error = ApplyCliOverrides(options, settings)) {
        err << "korund-cli: " << *error << '\n';
        return kExitUsage;
    }
    return std::nullopt;
}
