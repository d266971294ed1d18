// SPDX-License-Identifier: GPL-3.0-or-later
// Shared fixture: every test starts from the program's default settings.
#pragma once

#include "cLongReal.h"
#include "cLongRealDefaults.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

inline void RestoreDefaultSettings() {
    cLongReal::aPrecision = cLongRealDefaults::kPrecision;
    cLongReal::aOutputDrop = cLongRealDefaults::kOutputDrop;
    cLongReal::aInputSystemStandard = cLongRealDefaults::kInputSystemStandard;
    cLongReal::aOutputSystem = cLongRealDefaults::kOutputSystem;
    cLongReal::aOutputExpHigh = cLongRealDefaults::kOutputExpHigh;
    cLongReal::aOutputExpLow = cLongRealDefaults::kOutputExpLow;
    cLongReal::aNativeEpsExponent = cLongRealDefaults::kNativeEpsExponent;
    cLongReal::aEngOn = cLongRealDefaults::kEngOn;
    cLongReal::aEngBinary = cLongRealDefaults::kEngBinary;
    cLongReal::aAngleMode = cLongRealDefaults::kAngleMode;
    cLongReal::Init();
}

class LongRealTest : public ::testing::Test {
protected:
    void SetUp() override { RestoreDefaultSettings(); }
    void TearDown() override { RestoreDefaultSettings(); }
};

template <typename Param>
class LongRealTableTest : public ::testing::TestWithParam<Param> {
protected:
    void SetUp() override { RestoreDefaultSettings(); }
    void TearDown() override { RestoreDefaultSettings(); }
};

// Test names for tables: the row's index and its printed form (PrintTo),
// letters and digits only, such as "3_ln_10" or "12_sin_1E20_deg", so that
// ctest -R finds a row and a failure names it.
struct CaseName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
        const std::string printed = ::testing::PrintToString(info.param);
        std::string name = std::to_string(info.index);
        bool gap = true;
        for (const char c : printed) {
            const bool keep = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            if (keep && gap)
                name += '_';
            if (keep)
                name += c;
            gap = !keep;
        }
        return name;
    }
};

inline const char* AngleUnit(int16_t mode) {
    return mode == 0 ? "rad" : mode == 1 ? "deg" : mode == 2 ? "gra" : "mode";
}

inline std::string Text(const cLongReal& x) { return static_cast<const char*>(x); }

inline cLongReal Num(const char* text) { return cLongReal(text); }
