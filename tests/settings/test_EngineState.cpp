// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineState.h"
#include "KorundSettings.h"
#include "TempDir.h"

#include "cFormulaEngine.h"
#include "cLongReal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(DecimalDigits, CeilingOfNativeDigitsTimesLog10Of65536) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 5}, {2, 10}, {4, 20}, {6, 29}, {-1, -4}, {-2, -9}, {9999, 48160}};
    for (auto [k, digits] : cases)
        EXPECT_EQ(DecimalDigits(k), digits) << k;
}

TEST(NativeDigitsFor, FewestNativeDigitsThatHoldTheDecimalDigitsInFull) {
    // One native digit holds 4.8 decimal digits, two 9.6, 48 some 231.2.
    const std::pair<int, int> cases[] = {{0, 0}, {-3, 0}, {1, 1},    {4, 1},    {5, 2},
                                         {9, 2}, {10, 3}, {231, 48}, {232, 49}, {100000, 20763}};
    for (auto [decimal, k] : cases)
        EXPECT_EQ(NativeDigitsFor(decimal), k) << decimal;
}

TEST(FormatGeneral, FifteenSignificantDigitsWithoutTrailingZeros) {
    const std::pair<double, const char*> cases[] = {
        {1.0, "1"},
        {0.0, "0"},
        {std::ldexp(1.0, -32), "2.3283064365387E-10"},
        {std::ldexp(1.0, -16), "0.0000152587890625"},
        {0.5, "0.5"},
        {0.00001, "0.00001"},
        {0.000012345, "0.000012345"},
        {0.0000099999, "9.9999E-6"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {123456.5, "123456.5"},
        {100.0, "100"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {-2.5, "-2.5"},
        {1e-300, "1E-300"},
    };
    for (auto [value, text] : cases)
        EXPECT_EQ(FormatGeneral(value, 15), text) << value;
}

// Settings text in, engine-state text out, through the file reader and ApplySettings.
struct StateCase {
    const char* name;
    const char* ini; // null: no file at all
    size_t line;     // 1-based line to check
    const char* expected;
};

const char* const kDefaultLines[] = {
    "native calc digits > 6 (= 12 bytes / 29 decimal digits)",
    "native output digits > 4 (= 8 bytes / 20 decimal digits)",
    "internal zero epsilon > 2 (= 2.3283064365387E-10 dec)",
    "render exp as zeros > -5 to 5",
    "base > input default: 10; output: 10",
    "flags > deg; eng off",
    "memory > constants: 100; functions: 30; ref alloc: 10",
};

std::vector<std::string> StateFor(const char* ini) {
    cTempDir dir;
    const std::string path = dir.File("Korund.ini");
    if (ini)
        WriteText(path, ini);
    ApplySettings(ReadKorundIni(path));
    return EngineStateLines();
}

TEST(EngineStateLines, WithoutAFileAllSevenDefaultLines) {
    const auto lines = StateFor(nullptr);
    ASSERT_EQ(lines.size(), 7u);
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(lines[i], kDefaultLines[i]);
}

TEST(EngineStateLines, ShowTheStoredSettings) {
    const StateCase cases[] = {
        {"eng mode out of range", "[Calculation]\nEngMode=5\n", 6, "flags > deg; eng off"},
        {"eng decimal", "[Calculation]\nEngMode=1\n", 6, "flags > deg; eng decimal"},
        {"eng binary, gra", "[Calculation]\nEngMode=2\nAngleMode=2\n", 6, "flags > gra; eng binary"},
        {"angle mode out of range", "[Calculation]\nAngleMode=7\n", 6, "flags > rad; eng off"},
        {"angle mode 0", "[Calculation]\nAngleMode=0\n", 6, "flags > rad; eng off"},
        {"angle mode 65537 keeps low bits", "[Calculation]\nAngleMode=65537\n", 6, "flags > deg; eng off"},
        {"more dropped than used", "[Calculation]\nDigitsUse=2\nDigitsDrop=4\n", 2,
         "native output digits > -2 (= -4 bytes / -9 decimal digits)"},
        {"epsilon exponent 0", "[Calculation]\nNativeEps=0\n", 3, "internal zero epsilon > 0 (= 1 dec)"},
        {"epsilon exponent 1", "[Calculation]\nNativeEps=1\n", 3,
         "internal zero epsilon > 1 (= 0.0000152587890625 dec)"},
        {"exponent range", "[Calculation]\nMinExp=3\nMaxExp=7\n", 4, "render exp as zeros > -3 to 7"},
        {"16-bit signed MaxExp", "[Calculation]\nMaxExp=65535\n", 4, "render exp as zeros > -5 to -1"},
        {"16-bit DigitsUse keeps low bits", "[Calculation]\nDigitsUse=65542\n", 1,
         "native calc digits > 6 (= 12 bytes / 29 decimal digits)"},
        {"bases", "[Calculation]\nInputSys=16\nOutputSys=2\n", 5, "base > input default: 16; output: 2"},
        {"no user functions", "[Parser]\nMaxFunc=0\n", 7, "memory > constants: 100; functions: 0; ref alloc: 10"},
        {"capacities", "[Parser]\nMaxConst=5\nRefAlloc=70000\n", 7,
         "memory > constants: 5; functions: 30; ref alloc: 4464"},
        {"garbage falls back", "[Calculation]\nDigitsUse=x\n", 1, kDefaultLines[0]},
    };
    for (const auto& c : cases) {
        const auto lines = StateFor(c.ini);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[c.line - 1], c.expected) << c.name;
    }
}

TEST(ApplySettings, StoresEveryStatic) {
    cKorundSettings s;
    s.DigitsUse = 12;
    s.DigitsDrop = 3;
    s.InputSys = 16;
    s.OutputSys = 2;
    s.MaxExp = -3;
    s.MinExp = 9;
    s.NativeEps = 4;
    s.EngMode = 2;
    s.AngleMode = 7;
    s.MaxConst = 5;
    s.MaxFunc = 0;
    s.RefAlloc = 3;
    ApplySettings(s);
    EXPECT_EQ(cLongReal::aPrecision, 12);
    EXPECT_EQ(cLongReal::aOutputDrop, 3);
    EXPECT_EQ(cLongReal::aInputSystemStandard, 16);
    EXPECT_EQ(cLongReal::aOutputSystem, 2);
    EXPECT_EQ(cLongReal::aOutputExpHigh, -3);
    EXPECT_EQ(cLongReal::aOutputExpLow, 9);
    EXPECT_EQ(cLongReal::aNativeEpsExponent, 4);
    EXPECT_TRUE(cLongReal::aEngOn);
    EXPECT_TRUE(cLongReal::aEngBinary);
    EXPECT_EQ(cLongReal::aAngleMode, 7);
    EXPECT_EQ(cFormulaEngine::aConstantMax, 5u);
    EXPECT_EQ(cFormulaEngine::aUserFunctionMax, 0u);
    EXPECT_EQ(cFormulaEngine::aConstRefAlloc, 3);

    const std::pair<int32_t, std::pair<bool, bool>> engModes[] = {
        {0, {false, false}}, {1, {true, false}}, {2, {true, true}}, {3, {false, false}}, {-1, {false, false}}};
    for (auto [mode, flags] : engModes) {
        s.EngMode = mode;
        ApplySettings(s);
        EXPECT_EQ(cLongReal::aEngOn, flags.first) << mode;
        EXPECT_EQ(cLongReal::aEngBinary, flags.second) << mode;
    }
}

} // namespace
