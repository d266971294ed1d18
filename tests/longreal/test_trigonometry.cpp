// SPDX-License-Identifier: GPL-3.0-or-later
// Circular functions in degrees, gradians and radians.
#include "LongRealFixture.h"

namespace {

using Fn1 = cLongReal (*)(const cLongReal&);

struct AngleCase {
    int16_t mode; // 0 rad, 1 deg, 2 gra
    const char* name;
    Fn1 fn;
    const char* arg;
    const char* expected; // exact value as text; nullptr: throws
};

void PrintTo(const AngleCase& c, std::ostream* out) { *out << c.name << "(" << c.arg << ") " << AngleUnit(c.mode); }

class Angles : public LongRealTableTest<AngleCase> {};

// Special angles give the exact value, not one rounded to it.
TEST_P(Angles, ExactValue) {
    const AngleCase& c = GetParam();
    cLongReal::aAngleMode = c.mode;
    cLongReal::Init();
    const cLongReal x(c.arg);
    if (c.expected == nullptr)
        EXPECT_THROW(c.fn(x), cLongRealError) << c.name << "(" << c.arg << ")";
    else
        EXPECT_TRUE(c.fn(x) == cLongReal(c.expected))
            << c.name << "(" << c.arg << ") = " << Text(c.fn(x)) << ", expected " << c.expected;
}

INSTANTIATE_TEST_SUITE_P(
    Degrees, Angles,
    ::testing::Values(AngleCase{1, "sin", sin, "0", "0"}, AngleCase{1, "sin", sin, "30", "0.5"},
                      AngleCase{1, "sin", sin, "90", "1"}, AngleCase{1, "sin", sin, "180", "0"},
                      AngleCase{1, "sin", sin, "210", "-0.5"}, AngleCase{1, "sin", sin, "-30", "-0.5"},
                      AngleCase{1, "sin", sin, "360000", "0"}, AngleCase{1, "cos", cos, "60", "0.5"},
                      AngleCase{1, "cos", cos, "90", "0"}, AngleCase{1, "cos", cos, "120", "-0.5"},
                      AngleCase{1, "cos", cos, "180", "-1"}, AngleCase{1, "cos", cos, "-300", "0.5"},
                      AngleCase{1, "tan", tan, "45", "1"}, AngleCase{1, "tan", tan, "135", "-1"},
                      AngleCase{1, "tan", tan, "180", "0"}, AngleCase{1, "tan", tan, "90", nullptr},
                      AngleCase{1, "tan", tan, "-90", nullptr}, AngleCase{1, "tan", tan, "900", "0"},
                      AngleCase{1, "tan", tan, "990", nullptr}, AngleCase{1, "cot", cot, "45", "1"},
                      AngleCase{1, "cot", cot, "90", "0"}, AngleCase{1, "cot", cot, "180", nullptr},
                      AngleCase{1, "cot", cot, "-360", nullptr}, AngleCase{1, "arcsin", arcsin, "0.5", "30"},
                      AngleCase{1, "arcsin", arcsin, "1.5", nullptr}, AngleCase{1, "arccos", arccos, "0.5", "60"},
                      AngleCase{1, "arccos", arccos, "-0.5", "120"}, AngleCase{1, "arccos", arccos, "-1", "180"},
                      AngleCase{1, "arccos", arccos, "-1.5", nullptr}, AngleCase{1, "arctan", arctan, "1", "45"},
                      AngleCase{1, "arccot", arccot, "0", "90"}, AngleCase{1, "arccot", arccot, "1", "45"},
                      AngleCase{1, "arccot", arccot, "-1", "135"}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Gradians, Angles,
    ::testing::Values(AngleCase{2, "sin", sin, "100", "1"}, AngleCase{2, "sin", sin, "200", "0"},
                      AngleCase{2, "sin", sin, "400000", "0"}, AngleCase{2, "cos", cos, "100", "0"},
                      AngleCase{2, "tan", tan, "50", "1"}, AngleCase{2, "tan", tan, "100", nullptr},
                      AngleCase{2, "cot", cot, "200", nullptr}, AngleCase{2, "arcsin", arcsin, "1", "100"},
                      AngleCase{2, "arccos", arccos, "-1", "200"}, AngleCase{2, "arctan", arctan, "1", "50"},
                      AngleCase{2, "arccot", arccot, "-1", "150"}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Radians, Angles,
                         ::testing::Values(AngleCase{0, "cos", cos, "0", "1"}, AngleCase{0, "cot", cot, "0", nullptr},
                                           AngleCase{0, "arcsin", arcsin, "2", nullptr},
                                           AngleCase{0, "sin", sin, "1E400000",
                                                     nullptr}, // exact reduction would take minutes
                                           AngleCase{0, "cot", cot, "-1E400000", nullptr},
                                           // Other modes count as radians.
                                           AngleCase{7, "cos", cos, "0", "1"}, AngleCase{-1, "tan", tan, "0", "0"}),
                         CaseName());

struct ApproxCase {
    int16_t mode;
    const char* name;
    Fn1 fn;
    const char* arg;
    const char* text; // rendered at the defaults
};

void PrintTo(const ApproxCase& c, std::ostream* out) { *out << c.name << "(" << c.arg << ") " << AngleUnit(c.mode); }

class AnglesRendered : public LongRealTableTest<ApproxCase> {};

TEST_P(AnglesRendered, Value) {
    const ApproxCase& c = GetParam();
    cLongReal::aAngleMode = c.mode;
    cLongReal::Init();
    EXPECT_EQ(Text(c.fn(cLongReal(c.arg))), c.text) << c.name << "(" << c.arg << ")";
}

INSTANTIATE_TEST_SUITE_P(AllModes, AnglesRendered,
                         ::testing::Values(ApproxCase{1, "sin", sin, "1", "0.01745240643728351282"},
                                           ApproxCase{1, "sin", sin, "1E20",
                                                      "-0.9848077530122080594"}, // 1E20 = 280 mod 360
                                           ApproxCase{1, "tan", tan, "89", "57.28996163075942469"},
                                           ApproxCase{1, "arcsin", arcsin, "0.3", "17.45760312372209229"},
                                           ApproxCase{1, "arctan", arctan, "2", "63.43494882292201065"},
                                           ApproxCase{1, "arccot", arccot, "1000", "0.057295760414500609"},
                                           ApproxCase{1, "arccot", arccot, "-1000", "179.9427042395854994"},
                                           ApproxCase{2, "sin", sin, "33.3", "0.4995464816407428672"},
                                           ApproxCase{2, "sin", sin, "123", "0.9354440308298673252"},
                                           ApproxCase{2, "cos", cos, "-4000000000000000007", "0.9939609554551796878"},
                                           ApproxCase{0, "sin", sin, "1E10", "-0.4875060250875106915"},
                                           ApproxCase{0, "arctan", arctan, "1", "0.7853981633974483096"},
                                           ApproxCase{0, "arccot", arccot, "-1", "2.356194490192344929"}),
                         CaseName());

using Trigonometry = LongRealTest;

// pi()/2 is the pole itself, not a number near it.
TEST_F(Trigonometry, RadianPoleIsAnError) {
    cLongReal::aAngleMode = 0;
    cLongReal::Init();
    EXPECT_THROW(tan(pi() / cLongReal(2L)), cLongRealError);
    EXPECT_THROW(cot(pi()), cLongRealError);
    const cLongReal t = tan(pi() / cLongReal(2L) - cLongReal("1E-25"));
    EXPECT_TRUE(cLongReal("1E24") <= t);
}

} // namespace
