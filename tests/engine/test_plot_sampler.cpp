// SPDX-License-Identifier: GPL-3.0-or-later
// Plot sampling: values against known ones, gaps for failures, breaks at
// poles and nowhere else, the caller's variables left alone, the precision
// used, the progress hook and a cancel through it, parse failures.
#include "test_core_support.h"

#include "cLongRealDefaults.h"
#include "cPlotSampler.h"

#include <cmath>
#include <stdexcept>
#include <vector>

using namespace core_test;

namespace {

class PlotSamplerTest : public EngineCoreTest {
protected:
    cLongReal variables[26];

    std::vector<cPlotPoint> Sample(const char* formula, double from, double to, uint32_t count, char letter = 'x') {
        cPlotSampler sampler(formula, letter, variables);
        return sampler.Sample(from, to, count);
    }
    static std::vector<size_t> Breaks(const std::vector<cPlotPoint>& points) {
        std::vector<size_t> at;
        for (size_t i = 0; i < points.size(); ++i)
            if (points[i].aBreak)
                at.push_back(i);
        return at;
    }
    static void DefineFunction(const char* definition) {
        cFormulaEngine::StartFunctionEdit();
        ASSERT_TRUE(cFormulaEngine::AddFunction(definition, ""));
        ASSERT_EQ(cFormulaEngine::StopFunctionEdit(), -1);
    }
};

TEST_F(PlotSamplerTest, ValuesAtEvenlySpacedPoints) {
    // Degrees: 0, 30, 60, 90.
    const auto sine = Sample("sin(x)", 0, 90, 4);
    ASSERT_EQ(sine.size(), 4u);
    const double xs[] = {0, 30, 60, 90};
    const double ys[] = {0, 0.5, std::sqrt(3.0) / 2, 1};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(sine[i].aValid);
        EXPECT_FALSE(sine[i].aBreak);
        EXPECT_EQ(sine[i].aX, xs[i]);
        EXPECT_DOUBLE_EQ(sine[i].aY, ys[i]);
    }
    const auto growth = Sample("exp(t)*t", -3, 7, 11, 't');
    for (size_t i = 0; i < growth.size(); ++i) {
        const double t = -3.0 + static_cast<double>(i);
        EXPECT_EQ(growth[i].aX, t);
        EXPECT_DOUBLE_EQ(growth[i].aY, std::exp(t) * t);
    }
    const auto single = Sample("x^2", 3, 5, 1);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].aY, 9);
}

TEST_F(PlotSamplerTest, ValuesAreProvenBeyondTheFirstPassesBits) {
    // At 64 bits 1 + 2^-70 is 1; the sample is computed again with more bits.
    const auto points = Sample("(1+2^(-70))*x-x", 1, 2, 2);
    EXPECT_EQ(points[0].aY, std::ldexp(1.0, -70));
    EXPECT_EQ(points[1].aY, std::ldexp(1.0, -69));
    // And the user's setting is not used: thousands of digits change nothing.
    cLongReal::aPrecision = 2000;
    cLongReal::Init();
    const auto wide = Sample("sin(x)*x", 0, 90, 4);
    EXPECT_DOUBLE_EQ(wide[1].aY, 15);
    EXPECT_DOUBLE_EQ(wide[3].aY, 90);
    cLongReal::aPrecision = cLongRealDefaults::kPrecision;
}

TEST_F(PlotSamplerTest, TangentInDegreesHasGapsAtPolesOnSamplesAndBreaksBetween) {
    const auto coarse = Sample("tan(x)", -360, 360, 9); // every 90 degrees
    for (size_t i = 0; i < coarse.size(); ++i)
        EXPECT_EQ(coarse[i].aValid, i % 2 == 0) << coarse[i].aX;

    const auto fine = Sample("tan(x)", -360, 360, 1000); // no sample on a pole
    for (const cPlotPoint& p : fine)
        EXPECT_TRUE(p.aValid) << p.aX;
    std::vector<size_t> expected;
    for (double pole : {-270.0, -90.0, 90.0, 270.0})
        for (size_t i = 1; i < fine.size(); ++i)
            if (fine[i - 1].aX < pole && fine[i].aX > pole)
                expected.push_back(i);
    EXPECT_EQ(Breaks(fine), expected);
}

TEST_F(PlotSamplerTest, BreaksOnlyWhereThereIsAPole) {
    EXPECT_EQ(Breaks(Sample("1/x", -1, 2, 8)).size(), 1u); // no sample on 0
    EXPECT_EQ(Breaks(Sample("1/x^2", -1, 1, 10)), std::vector<size_t>{5});
    // Steep, peaked and oscillating curves stay joined.
    for (const char* smooth : {"x^3", "arctan(1000*x)", "1/(1+x^2)", "sin(x*1000)*x", "abs(x)"})
        EXPECT_TRUE(Breaks(Sample(smooth, -1, 1, 1000)).empty()) << smooth;
}

TEST_F(PlotSamplerTest, LogarithmHasGapsWhereXIsNotPositive) {
    const auto points = Sample("ln(x)", -2, 2, 5);
    EXPECT_FALSE(points[0].aValid);
    EXPECT_FALSE(points[1].aValid);
    EXPECT_FALSE(points[2].aValid); // ln(0)
    EXPECT_EQ(points[3].aY, 0);
    EXPECT_DOUBLE_EQ(points[4].aY, std::log(2.0));
    EXPECT_TRUE(Breaks(points).empty());
}

TEST_F(PlotSamplerTest, UserFunctionsAndConstantsWorkAsInAnyFormula) {
    DefineFunction("hump(t)=t^2+1");
    cFormulaEngine::StartConstantEdit();
    ASSERT_TRUE(cFormulaEngine::AddConstant("ten=10", ""));
    ASSERT_EQ(cFormulaEngine::StopConstantEdit(), -1);
    const auto points = Sample("hump(x)*ten", 0, 2, 3);
    EXPECT_EQ(points[0].aY, 10);
    EXPECT_EQ(points[1].aY, 20);
    EXPECT_EQ(points[2].aY, 50);
}

TEST_F(PlotSamplerTest, UsesACopyOfTheVariablesAndEverySampleStartsFromIt) {
    variables['a' - 'a'] = cLongReal(3L);
    variables['x' - 'a'] = cLongReal(99L);
    variables['i' - 'a'] = cLongReal(7L);
    {
        cPlotSampler sampler("a*x", 'x', variables);
        variables['a' - 'a'] = cLongReal(1000L); // taken when the sampler was made
        const auto points = sampler.Sample(1.0, 2.0, 2);
        EXPECT_EQ(points[0].aY, 3);
        EXPECT_EQ(points[1].aY, 6);
    }
    // i is read before the loop sets it: 7 + 6 in every sample, not 4 + 6 after the first.
    const auto points = Sample("sum(1,1,3,i)+i", 0, 1, 5);
    for (const cPlotPoint& p : points)
        EXPECT_EQ(p.aY, 13);
    EXPECT_EQ(static_cast<long>(variables['x' - 'a']), 99);
    EXPECT_EQ(static_cast<long>(variables['i' - 'a']), 7);
}

TEST_F(PlotSamplerTest, ReportsToTheHostHookOnlyAfterTheQuietTime) {
    cFormulaEngine::ProgressIndicator = &RecordReport;
    cPlotSampler quick("sin(x)", 'x', variables);
    quick.Sample(0.0, 1.0, 50);
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(cFormulaEngine::ProgressIndicator, &RecordReport);

    cPlotSampler reported("sin(x)", 'x', variables);
    reported.aQuietTime = std::chrono::milliseconds(0);
    reported.Sample(0.0, 1.0, 50);
    ASSERT_FALSE(Reports().empty());
    EXPECT_EQ(Reports().front(), tReport(0, faCalculating, 50, 0));
    EXPECT_EQ(Reports().back(), tReport(0, faIdle, 0, 0));
    bool evaluationsOneLevelDeeper = false;
    for (const tReport& r : Reports())
        evaluationsOneLevelDeeper |= std::get<0>(r) == 1 && std::get<1>(r) == faCalculating;
    EXPECT_TRUE(evaluationsOneLevelDeeper);
    EXPECT_EQ(cFormulaEngine::ProgressIndicator, &RecordReport);
}

struct cCancel : std::exception {};

TEST_F(PlotSamplerTest, WhatTheHostHookThrowsEndsTheSampling) {
    static int calls;
    calls = 0;
    cFormulaEngine::ProgressIndicator = [](uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
        RecordReport(level, activity, total, done);
        if (activity == faCalculating && ++calls == 5000)
            throw cCancel();
    };
    const tProgressHook host = cFormulaEngine::ProgressIndicator;
    cPlotSampler sampler("sum(1,1,100,sin(i*x))", 'x', variables);
    sampler.aQuietTime = std::chrono::milliseconds(0);
    EXPECT_THROW(sampler.Sample(0.0, 1.0, 1000), cCancel);
    EXPECT_LT(sampler.Evaluations(), 1000u);
    EXPECT_EQ(Reports().back(), tReport(0, faIdle, 0, 0));
    EXPECT_EQ(cFormulaEngine::ProgressIndicator, host);
}

TEST_F(PlotSamplerTest, ParseFailuresNameTheirStretch) {
    struct tCase {
        const char* formula;
        feFehlerCode code;
        int32_t first, last;
        bool unclosed, foreign;
    } cases[] = {
        {"2*(3+4", feErrUnknownFunction, 2, 2, true, false},
        {"nope(x)+1", feErrUnknownFunction, 0, 3, false, false},
        {"2\xC3\x97x", feErrBadSymbol, 1, 2, false, true},
    };
    for (const tCase& c : cases) {
        SCOPED_TRACE(c.formula);
        try {
            cPlotSampler sampler(c.formula, 'x', variables);
            ADD_FAILURE() << "parsed";
        } catch (const cPlotParseError& e) {
            EXPECT_EQ(e.aCode, c.code);
            EXPECT_EQ(e.aFirst, c.first);
            EXPECT_EQ(e.aLast, c.last);
            EXPECT_EQ(e.aUnclosed, c.unclosed);
            EXPECT_EQ(e.aForeign, c.foreign);
        }
    }
    EXPECT_THROW(cPlotSampler("x", '1', variables), std::invalid_argument);
}

TEST_F(PlotSamplerTest, BoundsAreFormulasWithTheVariables) {
    variables[0] = cLongReal(180L);
    EXPECT_EQ(static_cast<long>(EvaluatePlotBound("-2*a", variables)), -360);
    EXPECT_THROW(EvaluatePlotBound("1/0", variables), std::exception);
    EXPECT_THROW(EvaluatePlotBound("(", variables), cPlotParseError);
}

} // namespace
