// SPDX-License-Identifier: GPL-3.0-or-later
// The free functions at known values and at their domain errors.
#include "LongRealFixture.h"

#include <chrono>
#include <functional>

namespace {

using Fn1 = cLongReal (*)(const cLongReal&);
using Fn2 = cLongReal (*)(const cLongReal&, const cLongReal&);

struct Case1 {
    const char* name;
    Fn1 fn;
    const char* arg;
    const char* expected; // rendered at the defaults; nullptr: throws
};

void PrintTo(const Case1& c, std::ostream* out) { *out << c.name << "(" << c.arg << ")"; }

class OneArgument : public LongRealTableTest<Case1> {};

TEST_P(OneArgument, Value) {
    const Case1& c = GetParam();
    const cLongReal x(c.arg);
    if (c.expected == nullptr)
        EXPECT_THROW(c.fn(x), cLongRealError) << c.name << "(" << c.arg << ")";
    else
        EXPECT_EQ(Text(c.fn(x)), c.expected) << c.name << "(" << c.arg << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Elementary, OneArgument,
    ::testing::Values(
        Case1{"abs", abs, "-2.5", "2.5"}, Case1{"ln", ln, "1", "0"}, Case1{"ln", ln, "10", "2.302585092994045684"},
        Case1{"ln", ln, "0", nullptr}, Case1{"ln", ln, "-1", nullptr}, Case1{"exp", exp, "0", "1"},
        Case1{"exp", exp, "-1", "0.3678794411714423216"}, Case1{"exp", exp, "1E100000000", nullptr},
        Case1{"exp", exp, "-1E100000000", "0"}, Case1{"sqrt", sqrt, "16", "4"}, Case1{"sqrt", sqrt, "-1", nullptr},
        Case1{"sinh", sinh, "1", "1.175201193643801457"}, Case1{"sinh", sinh, "1E100000000", nullptr},
        Case1{"cosh", cosh, "1", "1.543080634815243778"}, Case1{"tanh", tanh, "1", "0.7615941559557648881"},
        Case1{"arsinh", arsinh, "1", "0.8813735870195430252"}, Case1{"arcosh", arcosh, "2", "1.316957896924816709"},
        Case1{"arcosh", arcosh, "1", "0"}, Case1{"arcosh", arcosh, "0.5", nullptr},
        Case1{"artanh", artanh, "0.5", "0.5493061443340548457"}, Case1{"artanh", artanh, "1", nullptr},
        Case1{"artanh", artanh, "-1", nullptr}, Case1{"trunc", trunc, "-2.7", "-2"}, Case1{"round", round, "2.5", "3"},
        Case1{"round", round, "-2.5", "-3"}, Case1{"round", round, "2.4999", "2"}, Case1{"round", round, "-0.4", "0"}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Factorial, OneArgument,
                         ::testing::Values(Case1{"fak", fak, "0", "1"}, Case1{"fak", fak, "5", "120"},
                                           Case1{"fak", fak, "25", "1.551121004333098598E25"},
                                           Case1{"fak", fak, "0.5", "0.8862269254527580136"},
                                           Case1{"fak", fak, "2.5", "3.323350970447842551"},
                                           Case1{"fak", fak, "-0.5", "1.772453850905516027"},
                                           Case1{"fak", fak, "-1.5", "-3.544907701811032055"},
                                           Case1{"fak", fak, "-1", nullptr}, Case1{"fak", fak, "1E100000000", nullptr},
                                           Case1{"fak", fak, "100000000", "1.617203794921462386E756570556"},
                                           Case1{"fak", fak, "1E12", nullptr}),
                         CaseName());

INSTANTIATE_TEST_SUITE_P(
    Normal, OneArgument,
    ::testing::Values(Case1{"normloc", normloc, "0", "0.3989422804014326779"},
                      Case1{"normloc", normloc, "1E100000000", "0"}, Case1{"norm", norm, "0", "0.5"},
                      Case1{"norm", norm, "1.96", "0.9750021048517795659"},
                      Case1{"norm", norm, "-1", "0.1586552539314570514"},
                      Case1{"norm", norm, "-40", "3.655893540915029704E-350"}, Case1{"norm", norm, "1E100000000", "1"},
                      Case1{"invnorm", invnorm, "0.5", "0"}, Case1{"invnorm", invnorm, "0.975", "1.959963984540054236"},
                      Case1{"invnorm", invnorm, "0.025", "-1.959963984540054236"},
                      Case1{"invnorm", invnorm, "1E-10", "-6.361340902404056205"},
                      Case1{"invnorm", invnorm, "1E-1000", "-67.78568559660261984"},
                      Case1{"invnorm", invnorm, "0.4999999999", "-2.506628274631000502E-10"},
                      Case1{"invnorm", invnorm, "0", nullptr}, Case1{"invnorm", invnorm, "1", nullptr},
                      Case1{"invnormloc", invnormloc, "0.3", "0.7550288353715548669"},
                      Case1{"invnormloc", invnormloc, "0", nullptr}, Case1{"invnormloc", invnormloc, "0.4", nullptr}),
    CaseName());

struct Case2 {
    const char* name;
    Fn2 fn;
    const char* x;
    const char* y;
    const char* expected; // nullptr: throws
};

void PrintTo(const Case2& c, std::ostream* out) { *out << c.name << "(" << c.x << "," << c.y << ")"; }

class TwoArguments : public LongRealTableTest<Case2> {};

TEST_P(TwoArguments, Value) {
    const Case2& c = GetParam();
    const cLongReal x(c.x), y(c.y);
    if (c.expected == nullptr)
        EXPECT_THROW(c.fn(x, y), cLongRealError) << c.name << "(" << c.x << "," << c.y << ")";
    else
        EXPECT_EQ(Text(c.fn(x, y)), c.expected) << c.name << "(" << c.x << "," << c.y << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Power, TwoArguments,
    ::testing::Values(Case2{"power", power, "2", "10", "1024"}, Case2{"power", power, "-2", "3", "-8"},
                      Case2{"power", power, "2", "-2", "0.25"},
                      Case2{"power", power, "2", "0.5", "1.414213562373095049"}, Case2{"power", power, "0", "0", "1"},
                      Case2{"power", power, "-8", "0.5", nullptr}, Case2{"power", power, "0", "-1", nullptr},
                      Case2{"power", power, "10", "1E30", nullptr},
                      Case2{"power", power, "1E100000000", "1E100000000", nullptr},
                      Case2{"power", power, "-1", "1E30", "1"}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Combinatorics, TwoArguments,
    ::testing::Values(Case2{"per", per, "10", "3", "720"}, Case2{"per", per, "5", "0", "1"},
                      Case2{"per", per, "3", "5", "0"}, Case2{"per", per, "2.5", "2", "3.75"},
                      Case2{"per", per, "-1", "0.5", nullptr}, Case2{"per", per, "-3", "2", "12"},
                      Case2{"com", com, "50", "25", "1.26410606437752E14"}, Case2{"com", com, "5", "6", "0"},
                      Case2{"com", com, "5", "-1", "0"}, Case2{"com", com, "2.5", "1", "2.5"},
                      Case2{"com", com, "0.5", "2", "-0.125"}, Case2{"com", com, "-1", "3", "-1"},
                      Case2{"com", com, "-4", "2", "10"}, Case2{"com", com, "-4", "-2", "0"},
                      Case2{"com", com, "-4", "0.5", nullptr},
                      Case2{"com", com, "1000000000", "500000000", "1.163914976893839938E301029991"}),
    CaseName());

using Functions = LongRealTest;

TEST_F(Functions, WholeResultsAreExact) {
    cLongReal::aPrecision = 8; // 128 bits hold 30!
    cLongReal::Init();
    EXPECT_TRUE(fak(cLongReal(30L)) == cLongReal("265252859812191058636308480000000"));
    EXPECT_TRUE(com(cLongReal(100L), cLongReal(50L)) == cLongReal("100891344545564193334812497256"));
    EXPECT_TRUE(per(cLongReal(30L), cLongReal(28L)) == cLongReal("132626429906095529318154240000000"));
    EXPECT_TRUE(power(cLongReal(3L), cLongReal(80L)) == cLongReal("147808829414345923316083210206383297601"));
}

TEST_F(Functions, HalfWholeFactorialsAtAnyPrecision) {
    // Half-whole and other non-whole arguments at high precision.
    cLongReal::aPrecision = 2000;
    cLongReal::Init();
    const std::string rootPi = Text(sqrt(pi()));
    EXPECT_TRUE(Text(fak(cLongReal("-0.5"))) == rootPi);
    EXPECT_TRUE(Text(fak(cLongReal("0.5")) * cLongReal(2L)) == rootPi);
    EXPECT_TRUE(Text(fak(cLongReal("-1.5")) / cLongReal(-2L)) == rootPi);
    const std::string quarter = Text(fak(cLongReal("0.25")));
    EXPECT_EQ(quarter.substr(0, 26), "0.906402477055477077982671");
    EXPECT_TRUE(fak(cLongReal("0.25")).IsProven());
    EXPECT_EQ(Text(com(cLongReal("2.5"), cLongReal("0.5"))), "1.875");
    EXPECT_EQ(Text(com(cLongReal("2.5"), cLongReal(2L))), "1.875"); // whole k: falling product
    EXPECT_EQ(Text(com(cLongReal(5L), cLongReal(2L))), "10");

    cLongReal::aPrecision = cLongRealDefaults::kPrecision;
    cLongReal::Init();
    cLongReal tiny = cLongReal("1E-60"); // 2 tiny + 1 rounds to a whole number
    EXPECT_EQ(Text(fak(tiny)), "1");
}

TEST_F(Functions, InverseNormalRoundTrips) {
    cLongReal::aPrecision = 40;
    cLongReal::Init();
    for (const char* p : {"0.001", "0.3", "0.5000001", "0.9", "0.999999"}) {
        const cLongReal x = invnorm(cLongReal(p));
        EXPECT_EQ(Text(norm(x)), p) << p;
    }
    const cLongReal y = normloc(cLongReal("1.25"));
    EXPECT_EQ(Text(invnormloc(y)), "1.25");
}

TEST_F(Functions, PathologicalArgumentsFailFast) {
    const std::function<cLongReal()> calls[] = {
        [] { return exp(cLongReal("1E100000000")); },
        [] { return fak(cLongReal("1E100000000")); },
        [] { return power(cLongReal("1E100000000"), cLongReal("1E100000000")); },
        [] { return cosh(cLongReal("-1E100000000")); },
        [] { return com(cLongReal("1E300"), cLongReal("5E299")); },
        [] { return per(cLongReal("1E300"), cLongReal("5E299")); },
        [] { return per(cLongReal("1E300"), cLongReal("1E300")); }, // (1E300)! overflows
        [] { return com(power(cLongReal(2L), cLongReal(100000L)), cLongReal("0.5")); },
    };
    for (const auto& call : calls)
        EXPECT_THROW(call(), cLongRealError);
    // Small whole k beyond the exact integers: the falling product, promptly.
    EXPECT_EQ(Text(com(power(cLongReal(2L), cLongReal(100000L)), cLongReal(2L))), "4.99002590923560478E60205");
    // An exact huge angle is reduced exactly (2^1000000 = 16 mod 360); an
    // inexact one proves no digit, promptly.
    EXPECT_EQ(Text(sin(power(cLongReal(2L), cLongReal(1000000L)))), "0.2756373558169991856");
    EXPECT_FALSE(sin(cLongReal("1E300000000")).IsProven());
}

TEST_F(Functions, RoundAndTruncOfHugeValuesAddNoBits) {
    // 3^2222232222 has some 3.5 billion bits: adding a half exactly would
    // take gigabytes. Points that large are whole already.
    const cLongReal huge = power(cLongReal(3L), cLongReal(2222232222L));
    ASSERT_FALSE(huge.IsExact());
    for (const cLongReal& x : {huge, -huge}) {
        EXPECT_EQ(Text(round(x)), Text(x));
        EXPECT_EQ(Text(trunc(x)), Text(x));
    }
    // A midpoint far above the radius: its exact ends would take 2^50 bits.
    cLongReal far(1L);
    arb_mul_2exp_si(far.arb(), far.arb(), slong(1) << 50);
    mag_set_ui_2exp_si(arb_radref(far.arb()), 1, -10);
    cLongReal (*const wholes[])(const cLongReal&) = {round, trunc};
    for (auto whole : wholes) {
        try {
            const cLongReal r = whole(far);
            EXPECT_TRUE(arb_contains(r.arb(), far.arb()) || arb_overlaps(r.arb(), far.arb()));
        } catch (const cLongRealError&) {
        }
    }
}

TEST_F(Functions, GammaOfLargeArgumentsAtTheHighestPrecisionsIsRefused) {
    // One such call would run for minutes and cannot be interrupted.
    cLongReal::aPrecision = 65535;
    cLongReal::Init();
    const cLongReal big("1E8");
    const std::function<cLongReal()> slow[] = {
        [&] { return fak(big); },
        [&] { return fak(big + cLongReal("0.5")); },
        [&] { return com(big, big / cLongReal(2L)); },
        [&] { return per(big, big / cLongReal(2L)); },
        [&] { return com(big + cLongReal("0.5"), cLongReal("2.5")); },
        [&] { return norm(-big); },
    };
    for (const auto& call : slow)
        EXPECT_THROW(call(), cLongRealError);
    EXPECT_TRUE(fak(cLongReal(20L)) == cLongReal("2432902008176640000")); // small ones still work
    // At the precisions in common use the same calls are computed.
    cLongReal::aPrecision = 9999;
    cLongReal::Init();
    EXPECT_TRUE(fak(cLongReal("1E6") + cLongReal("0.5")).IsProven());
}

} // namespace
