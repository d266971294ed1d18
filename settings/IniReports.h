// SPDX-License-Identifier: GPL-3.0-or-later
// Values of Korund.ini that are not used as written: not a whole number,
// or outside what their setting can hold. The programs show these records
// (korund-cli on standard error, the preferences window beside the field).
#pragma once

#include <string>
#include <vector>

struct cKorundSettings;

struct cIniReport {
    std::string aKey;    // "AngleMode"
    std::string aText;   // the value as the file has it, trimmed
    std::string aReason; // "is not 0, 1 or 2"
    std::string aUsed;   // what is used instead: "0 (radians)"
    bool operator==(const cIniReport&) const = default;
};

// "AngleMode=7 is not 0, 1 or 2; 0 (radians) is used".
std::string IniReportLine(const cIniReport& report);

// The settings whose values the number library and the engine do not take
// as they are (16-bit fields keep their low 16 bits, bases outside 2..36
// mean 10, unknown modes mean off or radians), with what they get instead.
// The capacities are left to ClampCapacities.
std::vector<cIniReport> SettingRangeReports(const cKorundSettings& settings);
