// SPDX-License-Identifier: GPL-3.0-or-later
// Parser: tree shapes, error codes and their order, parameter substitution,
// and protection against formulas too deep for the recursion.
#include "test_core_support.h"

#include <chrono>
#include <optional>
#include <string>

using namespace core_test;

namespace {

class ParserTest : public EngineCoreTest {};

// The code a parse throws, or none.
std::optional<int> ParseError(const char* formula) {
    cFormulaEngine engine;
    try {
        engine.Parse(formula);
    } catch (feFehlerCode code) {
        return code;
    }
    return std::nullopt;
}

struct TreeCase {
    const char* formula;
    const char* tree;
};

TEST_F(ParserTest, BuildsTrees) {
    const TreeCase cases[] = {
        {"2 * (x+1)^2 - y/4", "Sub(Mul(2,Pow(Add(x,1),2)),Div(y,4))"},
        {"sin(pi()/2)", "sin(Div(pi(),2))"},
        {"sum(1, 1, 10, i^2)", "Sum(1,1,10,Pow(i,2))"},
        {"mul(2,1,5,j)", "Prod(2,1,5,j)"},
        {"a-b-c", "Sub(Sub(a,b),c)"},
        {"a/b*c", "Mul(Div(a,b),c)"},
        {"2^3^2", "Pow(Pow(2,3),2)"},
        {"-2^2", "Neg(Pow(2,2))"},
        {"-a+b", "Add(Neg(a),b)"},
        {"-a*b", "Neg(Mul(a,b))"},
        {"+a", "a"},
        {"((a))", "a"},
        {"2*(-3)", "Mul(2,Neg(3))"},
        {"e", "e"},
        {"e()", "e()"},
        {"z", "z"},
        {"per(5,sqrt(4))", "per(5,sqrt(4))"},
        {"1.5*2", "Mul(1.5,2)"},
        {"(1+2)*(3-4)", "Mul(Add(1,2),Sub(3,4))"},
    };
    for (const TreeCase& c : cases) {
        EXPECT_EQ(ParsedTree(c.formula), c.tree) << c.formula;
    }
}

struct ErrorCase {
    const char* formula;
    feFehlerCode code;
};

TEST_F(ParserTest, RejectsWithTheFirstErrorMet) {
    const ErrorCase cases[] = {
        {"", feErrEmpty},
        {" \t\r\n ", feErrEmpty},
        {"()", feErrEmpty},
        {"2*-3", feErrEmpty},
        {"2^-1", feErrEmpty},
        {"a--b", feErrEmpty},
        {"+-a", feErrEmpty},
        {"2*", feErrEmpty},
        {"*2", feErrEmpty},
        {"-", feErrEmpty},
        {"sin(1,)", feErrEmpty},
        {"sum(,1,2,3)", feErrEmpty},
        {"(1)(2)", feErrBrackets},
        {"1+2)", feErrBrackets},
        {")", feErrBrackets},
        {"sin[1]", feErrBrackets},
        {"sin(1", feErrBrackets},
        {"sin(1)2", feErrBrackets},
        {"sin((1)", feErrBrackets},
        {"(1+2", feErrUnknownFunction},
        {"(x", feErrUnknownConstant},
        {"foo(1)", feErrUnknownFunction},
        {"a,b", feErrUnknownFunction},
        {"pi", feErrUnknownConstant},
        {"xy", feErrUnknownConstant},
        {"x y", feErrUnknownConstant},
        {"#", feErrBadSymbol},
        {"_", feErrBadSymbol},
        {"sin(1,2)", feErrArgCount},
        {"sin()", feErrArgCount},
        {"pi(1)", feErrArgCount},
        {"e(x)", feErrArgCount},
        {"sum(1,2,3)", feErrArgCount},
        {"mul(1,2,3,4,5)", feErrArgCount},
        {"per(1)", feErrArgCount},
        // several faults: the backward scan of the stretch comes first, then
        // left operands before right ones, arguments first to last
        {"#+1)", feErrBrackets},
        {"#+xy", feErrBadSymbol},
        {"xy*#", feErrUnknownConstant},
        {"sin(#,xy)", feErrBadSymbol},
        {"sin(1,xy)", feErrUnknownConstant},
        {"2^-(1)", feErrEmpty},
        {"foo(#)", feErrUnknownFunction},
    };
    for (const ErrorCase& c : cases)
        EXPECT_EQ(ParseError(c.formula), std::optional<int>(c.code)) << '"' << c.formula << '"';
}

TEST_F(ParserTest, NumberTextGoesWholeToTheNumberLibrary) {
    for (const char* formula : {"2x", "2(3)", "1,2", "Sin(1)", "1E-5", "E"})
        EXPECT_THROW(ParseError(formula), cLongRealError) << formula;

    cLongReal::aInputSystemStandard = 16;
    cLongReal::Init();
    const TreeCase cases[] = {
        {"FF", "255"},
        {"E", "14"},
        {"1E-5", "Sub(30,5)"}, // a literal never holds an operator character
        {"A+e", "Add(10,e)"},
    };
    for (const TreeCase& c : cases)
        EXPECT_EQ(ParsedTree(c.formula), c.tree) << c.formula;
    EXPECT_THROW(ParseError("2x"), cLongRealError);
}

TEST_F(ParserTest, ResolvesNamesAgainstTheTables) {
    AddConstant("pi", 3);
    AddConstant("xy", 7);
    AddConstant("gg", 1);
    AddConstant("gg", 2);
    AddUserFunction("sin", "x", "x");
    AddUserFunction("f", "x", "x*x");
    AddUserFunction("sum", "x", "x");
    const TreeCase cases[] = {
        {"pi", "$pi"},
        {"pi()", "pi()"},
        {"x y", "$xy"},
        {"sin(1)", "sin(1)"}, // the built-in wins over the user function
        {"f(2)+f(f(1))", "Add(f(2),f(f(1)))"},
        {"sum(1,1,2,i)", "Sum(1,1,2,i)"},
    };
    for (const TreeCase& c : cases)
        EXPECT_EQ(ParsedTree(c.formula), c.tree) << c.formula;

    cFormulaEngine engine("gg+sin(1)+f(1)");
    EXPECT_EQ(engine.aRoot->aChildren[0].aChildren[0].aIndex, 2); // lowest index wins
    EXPECT_EQ(engine.aRoot->aChildren[0].aChildren[1].aIndex, 4);
    EXPECT_EQ(engine.aRoot->aChildren[1].aIndex, 1);

    const ErrorCase errors[] = {
        {"f(1,2)", feErrArgCount},
        {"f()", feErrArgCount},
        {"g(1)", feErrUnknownFunction},
        {"gg(1)", feErrUnknownFunction},
    };
    for (const ErrorCase& c : errors)
        EXPECT_EQ(ParseError(c.formula), std::optional<int>(c.code)) << c.formula;
}

TEST_F(ParserTest, CommaAfterAUserFunctionNameIsABracketError) {
    EXPECT_EQ(ParseError("a,b"), std::optional<int>(feErrUnknownFunction));
    AddUserFunction("a", "x", "x");
    EXPECT_EQ(ParseError("a,b"), std::optional<int>(feErrBrackets));
}

TEST_F(ParserTest, FunctionBodiesSeeOnlyEarlierEditEntries) {
    AddUserFunction("h", "x", "x"); // live table: hidden while the edit copy is searched
    cFormulaEngine::aUserFunctionEditMem = std::make_unique<cUserFunction[]>(2);
    cFormulaEngine::aUserFunctionEditMem[0].aName = "f";
    cFormulaEngine::aUserFunctionEditMem[0].aArgCount = 1;
    cFormulaEngine::aUserFunctionEditMem[1].aName = "g";
    cFormulaEngine::aUserFunctionEditMem[1].aArgCount = 1;
    cFormulaEngine::aSearchEditFunc = true;

    cFormulaEngine::aParsedFunctions = 0; // compiling f
    EXPECT_EQ(ParseError("f(a)"), std::optional<int>(feErrUnknownFunction));
    EXPECT_EQ(ParseError("g(a)"), std::optional<int>(feErrUnknownFunction));
    cFormulaEngine::aParsedFunctions = 1; // compiling g
    EXPECT_EQ(ParseError("f(a)+1"), std::nullopt);
    EXPECT_EQ(ParseError("g(a)"), std::optional<int>(feErrUnknownFunction));
    EXPECT_EQ(ParseError("h(a)"), std::optional<int>(feErrUnknownFunction));

    cFormulaEngine::aSearchEditFunc = false;
    EXPECT_EQ(ParseError("h(a)"), std::nullopt);
}

TEST_F(ParserTest, FailedParseKeepsVariablesAndTheNewText) {
    cFormulaEngine engine("1+2");
    engine.SetVar('q', cLongReal(5L));
    EXPECT_THROW(engine.Parse(" 1 + "), feFehlerCode);
    EXPECT_TRUE(engine.GetVar('q') == cLongReal(5L));
    EXPECT_STREQ(engine.aFormula.get(), "1+");
    ASSERT_NE(engine.aRoot, nullptr);
    EXPECT_EQ(engine.aRoot->aKind, nkNone);
    EXPECT_EQ(engine.aRoot->aChildren, nullptr);
    engine.Parse("q*2");
    EXPECT_EQ(TreeText(*engine.aRoot), "Mul(q,2)");
}

TEST_F(ParserTest, StripFormulaKeepsPrintableCharactersOnly) {
    const char text[] = {' ', '1', '\t', '+', '\x7f', '\x80', 'x', '\xff', '\n', '~', 0};
    EXPECT_STREQ(StripFormula(text).get(), "1+x~");
    EXPECT_STREQ(StripFormula("").get(), "");
    EXPECT_STREQ(StripFormula(nullptr).get(), "");
}

TEST_F(ParserTest, SubstitutesStandaloneParameters) {
    struct Row {
        const char* body;
        const char* params;
        const char* expected;
    };
    const Row rows[] = {
        {"b-a", "ba", "a-b"},
        {"x*y+x2", "xy", "a*b+a2"},
        {"2x+y2", "xy", "2x+b2"},
        {"e()*e", "e", "a()*a"},
        {"sin(n)+n_", "n", "sin(a)+n_"},
        {"a+b", "ba", "b+a"}, // all at once: no letter is replaced twice
        {"x+x", "xx", "a+a"}, // the first parameter with the letter wins
        {"xx+X", "x", "xx+X"},
        {"", "x", ""},
    };
    for (const Row& row : rows) {
        std::string body(row.body);
        SubstituteParameters(body.data(), row.params);
        EXPECT_EQ(body, row.expected) << row.body << " / " << row.params;
    }
}

// ---- formulas too deep for the recursion

std::string Repeat(const std::string& piece, size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST_F(ParserTest, RejectsPathologicalDepthWithoutCrashing) {
    const std::string cases[] = {
        Repeat("(", 100000),
        Repeat("(", 100000) + "1" + Repeat(")", 100000),
        Repeat("1+", 200000) + "1",
        Repeat("1*", 200000) + "1",
        Repeat("2^", 200000) + "2",
        Repeat("-", 200000) + "1",
        Repeat("sin(", 50000) + "1" + Repeat(")", 50000),
        Repeat("1", 150000) + Repeat("*1", 12000),
    };
    for (const std::string& formula : cases)
        EXPECT_EQ(ParseError(formula.c_str()), std::optional<int>(feErrTooDeep)) << formula.substr(0, 20);
}

TEST_F(ParserTest, DepthGuardOfBuildNodeItself) {
    const std::string signs = Repeat("-", 30000) + "1";
    cFormulaEngine engine;
    EXPECT_THROW(
        {
            try {
                engine._BuildNode(signs.data(), signs.data() + signs.size() - 1);
            } catch (feFehlerCode code) {
                EXPECT_EQ(code, feErrTooDeep);
                throw;
            }
        },
        feFehlerCode);
    engine.Parse("-(1+2)"); // the depth count is back at zero
    EXPECT_EQ(TreeText(*engine.aRoot), "Neg(Add(1,2))");
}

TEST_F(ParserTest, DeepButAdmissibleFormulasParseAndEvaluate) {
    const std::string nested = Repeat("sin(", 3333) + "0" + Repeat(")", 3333);
    const std::string brackets = Repeat("(", 3300) + "7" + Repeat(")", 3300);
    const std::string chain = Repeat("1+", 9999) + "1";
    cFormulaEngine engine(nested.c_str());
    EXPECT_TRUE(engine.Evaluate() == cLongReal(0L));
    engine.Parse(brackets.c_str());
    EXPECT_TRUE(engine.Evaluate() == cLongReal(7L));
    engine.Parse(chain.c_str());
    EXPECT_TRUE(engine.Evaluate() == cLongReal(10000L));
    const cNode copy(*engine.aRoot);
    EXPECT_EQ(copy.aChildCount, 2);
}

TEST_F(ParserTest, ArgumentListsBeyondSixteenBitsAreRejected) {
    const std::string many = "sin(" + Repeat("1,", 70000) + "1)";
    EXPECT_EQ(ParseError(many.c_str()), std::optional<int>(feErrArgCount));
    const std::string most = "sum(" + Repeat("1,", 65534) + "1)"; // 65535 arguments fit
    EXPECT_EQ(ParseError(most.c_str()), std::optional<int>(feErrArgCount));
}

TEST_F(ParserTest, FormulaOfTheLargestWeightIsAccepted) {
    const std::string sums = Repeat("1+", 10000) + "1";
    const std::string calls = Repeat("sin(", 3333) + "0" + Repeat(")", 3333) + "+1";
    const std::string mixed = Repeat("2*", 5001) + Repeat("(", 1666) + "1" + Repeat(")", 1666) + "^2";
    for (const std::string& formula : {sums, calls, mixed})
        EXPECT_EQ(ParseError(formula.c_str()), std::nullopt) << formula.substr(0, 20);
    EXPECT_EQ(ParseError((sums + "+1").c_str()), std::optional<int>(feErrTooDeep));
    EXPECT_EQ(ParseError(("2*" + mixed).c_str()), std::optional<int>(feErrTooDeep));
}

TEST_F(ParserTest, ParseOfTheInstancesOwnText) {
    cFormulaEngine engine("1+2*3");
    engine.Parse(engine.aFormula.get());
    EXPECT_STREQ(engine.aFormula.get(), "1+2*3");
    EXPECT_EQ(TreeText(*engine.aRoot), "Add(1,Mul(2,3))");
}

} // namespace
