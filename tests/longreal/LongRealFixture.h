// SPDX-License-Identifier: GPL-3.0-or-later
// Shared fixture: every test starts from the program's default settings.
#pragma once

#include "cLongReal.h"

#include <gtest/gtest.h>

#include <string>

inline void RestoreDefaultSettings()
{
    cLongReal::aPrecision = 6;
    cLongReal::aOutputDrop = 2;
    cLongReal::aInputSystemStandard = 10;
    cLongReal::aOutputSystem = 10;
    cLongReal::aOutputExpHigh = 5;
    cLongReal::aOutputExpLow = 5;
    cLongReal::aNativeEpsExponent = 2;
    cLongReal::aEngOn = false;
    cLongReal::aEngBinary = false;
    cLongReal::aAngleMode = 1;
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

inline std::string Text(const cLongReal& x)
{
    return static_cast<const char*>(x);
}

inline cLongReal Num(const char* text)
{
    return cLongReal(text);
}
