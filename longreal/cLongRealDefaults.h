// SPDX-License-Identifier: GPL-3.0-or-later
// The default settings of the number library, written once: the values the
// static settings of cLongReal start with, the defaults of Korund.ini
// (settings/) and what test fixtures restore.
#pragma once

#include <cstdint>

struct cLongRealDefaults {
    static constexpr uint16_t kPrecision = 6;
    static constexpr uint16_t kOutputDrop = 2;
    static constexpr uint16_t kInputSystemStandard = 10;
    static constexpr uint16_t kOutputSystem = 10;
    static constexpr int16_t kOutputExpHigh = 5;
    static constexpr uint16_t kOutputExpLow = 5;
    static constexpr uint16_t kNativeEpsExponent = 2;
    static constexpr bool kEngOn = false;
    static constexpr bool kEngBinary = false;
    static constexpr int16_t kAngleMode = 1; // degrees
};
