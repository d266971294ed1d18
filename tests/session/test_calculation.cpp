// SPDX-License-Identifier: GPL-3.0-or-later
// The calculate step of both programs: outcome, value and fault stretch of
// each kind of formula, the texts of its failures, and a cancel through the
// progress hook.
#include "Calculation.h"
#include "cBuiltins.h"
#include "cPlotSampler.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

class CalculationTest : public ::testing::Test {
protected:
    void SetUp() override { cFormulaEngine::Init(); }
    void TearDown() override {
        cFormulaEngine::ProgressIndicator = nullptr;
        cFormulaEngine::FreeStatics();
    }
    cFormulaEngine engine;
};

struct tRow {
    const char* formula;
    eOutcome outcome;
    int32_t first, last; // the fault stretch
    const char* text;    // the value, the parse message or the calc reason
};

void PrintTo(const tRow& row, std::ostream* out) { *out << '"' << row.formula << '"'; }

class CalculationRows : public CalculationTest, public ::testing::WithParamInterface<tRow> {};

TEST_P(CalculationRows, OutcomeStretchAndText) {
    const tRow& row = GetParam();
    const cCalculation c = Calculate(engine, row.formula);
    EXPECT_EQ(c.aOutcome, row.outcome);
    EXPECT_EQ(c.aFirst, row.first);
    EXPECT_EQ(c.aLast, row.last);
    switch (c.aOutcome) {
    case eOutcome::Value: EXPECT_STREQ(static_cast<const char*>(c.aValue), row.text); break;
    case eOutcome::ParseFailed: EXPECT_EQ(c.ParseMessage(row.formula).aText, row.text); break;
    default:
        EXPECT_EQ(c.aReason, row.text);
        EXPECT_TRUE(c.aValue == cLongReal(0L)); // a failure leaves 0 as the last result
    }
}

// A built-in's name without its brackets is read as a constant; the hint
// names the call ("sin 30" is the name sin without its bracket to the
// parser, "sin x" the one name sinx).
INSTANTIATE_TEST_SUITE_P(
    Kinds, CalculationRows,
    ::testing::Values(
        tRow{"1+2", eOutcome::Value, -1, -1, "3"},
        tRow{"2*\xC3\x97"
             "3",
             eOutcome::ParseFailed, 2, 3, "character '\xC3\x97' at column 3 is not part of a formula (use *)"},
        tRow{"\xCF\x80*2", eOutcome::ParseFailed, 0, 1,
             "character '\xCF\x80' at column 1 is not part of a formula (use pi())"},
        tRow{"pi*2", eOutcome::ParseFailed, 0, 1,
             "unknown constant 'pi' at column 1 (did you mean pi()?) [feErrUnknownConstant]"},
        tRow{"1+sin 30", eOutcome::ParseFailed, 6, 6,
             "brackets that do not match at column 7 (did you mean sin(30)?) [feErrBrackets]"},
        tRow{"sin x", eOutcome::ParseFailed, 0, 4,
             "unknown constant 'sinx' at column 1 (did you mean sin(x)?) [feErrUnknownConstant]"},
        tRow{"2*pi 3", eOutcome::ParseFailed, 5, 5,
             "brackets that do not match at column 6 (did you mean pi()?) [feErrBrackets]"},
        tRow{"per", eOutcome::ParseFailed, 0, 2,
             "unknown constant 'per' at column 1 (did you mean per(...)?) [feErrUnknownConstant]"},
        tRow{"sinus", eOutcome::ParseFailed, 0, 4, "unknown constant 'sinus' at column 1 [feErrUnknownConstant]"},
        tRow{"com(1)", eOutcome::ParseFailed, 0, 5,
             "wrong number of arguments for 'com' (it takes 2 arguments) at column 1 [feErrArgCount]"},
        tRow{"1/0", eOutcome::CalcFailed, -1, -1, "division by zero"}),
    [](const ::testing::TestParamInfo<tRow>& row) { return "Row" + std::to_string(row.index); });

TEST_F(CalculationTest, CancelFromTheHookIsItsOwnOutcome) {
    cFormulaEngine::ProgressIndicator = [](uint16_t, uint8_t activity, uint32_t, uint32_t done) {
        if (activity == faCalculating && done > 10)
            throw cCancelled("stopped");
    };
    const cCalculation c = Calculate(engine, "sum(1,1,100000,i)");
    EXPECT_EQ(c.aOutcome, eOutcome::Cancelled);
    EXPECT_EQ(c.aReason, "stopped");
    cFormulaEngine::ProgressIndicator = nullptr;
    EXPECT_TRUE(Calculate(engine, "2^3").Ok()); // the engine goes on
}

// The plot window's short reasons, from the structured failure of the sampler.
TEST_F(CalculationTest, PlotReasons) {
    const cLongReal variables[26];
    const struct {
        const char* formula;
        const char* reason;
    } rows[] = {
        {"2*(3+4", "missing closing bracket"},
        {"nope(x)+1", "unknown function"},
        {"2\xC3\x97x", "character not allowed (use *)"},
        {"pi+x", "unknown constant (did you mean pi()?)"},
    };
    for (const auto& row : rows) {
        try {
            cPlotSampler sampler(row.formula, 'x', variables);
            ADD_FAILURE() << row.formula << " parsed";
        } catch (const cPlotParseError& e) {
            EXPECT_EQ(PlotParseReason(row.formula, e), row.reason) << row.formula;
        }
    }
}

// Every built-in of the engine's table is the entry of the shared table at
// its index, and the table's arities are what the parser enforces.
TEST_F(CalculationTest, EngineTableIsTheSharedTable) {
    ASSERT_EQ(cFormulaEngine::aBasicFunctionCount, kBasicFunctionCount);
    for (const cBuiltin& builtin : kBuiltins) {
        const auto index = static_cast<uint32_t>(&builtin - kBuiltins.data());
        if (index < kBasicFunctionCount) {
            EXPECT_EQ(cFormulaEngine::aBasicFunctionArray[index].aName, builtin.aName);
            EXPECT_EQ(cFormulaEngine::aBasicFunctionArray[index].aArgCount, builtin.aArgCount);
        }
        std::string call = std::string(builtin.aName) + "(";
        for (uint16_t i = 0; i <= builtin.aArgCount; ++i)
            call += i ? ",1" : "1";
        const cCalculation c = Calculate(engine, call + ")"); // one argument too many
        EXPECT_EQ(c.aParse.aCode, feErrArgCount) << call;
        EXPECT_EQ(BuiltinHelpLine(builtin).rfind(std::string(builtin.aSignature) + ": ", 0), 0u);
    }
}

} // namespace
