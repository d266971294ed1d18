// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniReports.h"

#include "KorundSettings.h"

#include <algorithm>
#include <cstdint>

std::string IniReportLine(const cIniReport& report) {
    return report.aKey + "=" + report.aText + " " + report.aReason + "; " + report.aUsed + " is used";
}

namespace {

using std::to_string;

// A 16-bit unsigned field: the low 16 bits of the value.
bool FitsUnsigned16(int32_t value) { return value >= 0 && value <= UINT16_MAX; }

std::string Low16(int32_t value) { return to_string(static_cast<uint16_t>(value)); }

const char* const kNot16Bits = "does not fit 0 to 65535";

} // namespace

std::vector<cIniReport> SettingRangeReports(const cKorundSettings& s) {
    std::vector<cIniReport> reports;
    auto report = [&](const char* key, int32_t value, std::string reason, std::string used) {
        reports.push_back({key, to_string(value), std::move(reason), std::move(used)});
    };

    const int32_t digits = std::max<int32_t>(static_cast<uint16_t>(s.DigitsUse), 1);
    if (!FitsUnsigned16(s.DigitsUse) || s.DigitsUse == 0)
        report("DigitsUse", s.DigitsUse, s.DigitsUse == 0 ? "is below 1" : kNot16Bits, to_string(digits));
    if (!FitsUnsigned16(s.DigitsDrop))
        report("DigitsDrop", s.DigitsDrop, kNot16Bits, Low16(s.DigitsDrop));
    else if (s.DigitsDrop >= digits)
        report("DigitsDrop", s.DigitsDrop, "leaves no digit of DigitsUse=" + to_string(digits) + " to show",
               "an output of 1 native digit");
    for (const auto& [key, value] : {std::pair{"InputSys", s.InputSys}, std::pair{"OutputSys", s.OutputSys}}) {
        const uint16_t stored = static_cast<uint16_t>(value);
        if (value < 2 || value > 36)
            report(key, value, "is not a base from 2 to 36", stored >= 2 && stored <= 36 ? to_string(stored) : "10");
    }
    if (s.MaxExp < INT16_MIN || s.MaxExp > INT16_MAX)
        report("MaxExp", s.MaxExp, "does not fit -32768 to 32767", to_string(static_cast<int16_t>(s.MaxExp)));
    if (!FitsUnsigned16(s.MinExp))
        report("MinExp", s.MinExp, kNot16Bits, Low16(s.MinExp));
    if (!FitsUnsigned16(s.NativeEps))
        report("NativeEps", s.NativeEps, kNot16Bits, Low16(s.NativeEps));
    if (s.EngMode < 0 || s.EngMode > 2)
        report("EngMode", s.EngMode, "is not 0, 1 or 2", "0 (off)");
    if (s.AngleMode < 0 || s.AngleMode > 2) {
        const int16_t stored = static_cast<int16_t>(s.AngleMode);
        report("AngleMode", s.AngleMode, "is not 0, 1 or 2",
               stored == 1   ? "1 (degrees)"
               : stored == 2 ? "2 (grads)"
                             : "0 (radians)");
    }
    return reports;
}
