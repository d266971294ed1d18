// SPDX-License-Identifier: GPL-3.0-or-later
// Where a parse fails, in the text as typed, and the check for characters
// that the parser would silently drop.
#include "cFormulaText.h"
#include "test_core_support.h"

#include <string>

using namespace core_test;

namespace {

class ErrorStretchTest : public EngineCoreTest {};

struct StretchCase {
    const char* formula;
    feFehlerCode code;
    const char* stretch; // the text between aErrorFirst and aErrorLast
    bool unclosed;
};

TEST_F(ErrorStretchTest, MarksTheFailingOperandInTheTypedText) {
    const StretchCase cases[] = {
        {"2*(3+4", feErrUnknownFunction, "(", true},
        {"2 * ( 3 + 4", feErrUnknownFunction, "(", true},
        {"(3+4)5", feErrUnknownFunction, "(3+4)5", false},
        {"1 + foo(3)", feErrUnknownFunction, "foo", false},
        {"2*nope", feErrUnknownConstant, "nope", false},
        {"sin(1, 2) + 1", feErrArgCount, "sin(1, 2)", false},
        {"2)+1", feErrBrackets, ")", false},
        {"sin(3", feErrBrackets, "(", true},
        {"sin(3)4", feErrBrackets, "4", false},
        {"sin((1,2)", feErrBrackets, "(", true},
        {"2 *", feErrEmpty, "*", false},
        {"* 2", feErrEmpty, "*", false},
        {"1+()", feErrEmpty, "(", false},
        {"per(,1)", feErrEmpty, "(", false},
        {"1+_", feErrBadSymbol, "_", false},
    };
    for (const StretchCase& c : cases) {
        SCOPED_TRACE(c.formula);
        cFormulaEngine engine;
        try {
            engine.Parse(c.formula);
            ADD_FAILURE() << "parsed";
        } catch (feFehlerCode code) {
            EXPECT_EQ(code, c.code);
        }
        const std::string typed = c.formula;
        ASSERT_GE(engine.aErrorFirst, 0);
        ASSERT_GE(engine.aErrorLast, engine.aErrorFirst);
        ASSERT_LT(engine.aErrorLast, static_cast<int32_t>(typed.size()));
        EXPECT_EQ(typed.substr(static_cast<size_t>(engine.aErrorFirst),
                               static_cast<size_t>(engine.aErrorLast - engine.aErrorFirst + 1)),
                  c.stretch);
        EXPECT_EQ(engine.aErrorUnclosed, c.unclosed);
    }
}

TEST_F(ErrorStretchTest, EmptyTooDeepAndSuccess) {
    cFormulaEngine engine;
    EXPECT_THROW(engine.Parse("   "), feFehlerCode);
    EXPECT_EQ(engine.aErrorFirst, 0);
    EXPECT_EQ(engine.aErrorLast, -1);

    const std::string deep = " " + std::string(4000, '(') + "1" + std::string(4000, ')');
    EXPECT_THROW(engine.Parse(deep.c_str()), feFehlerCode);
    EXPECT_EQ(engine.aErrorFirst, 1);
    EXPECT_EQ(engine.aErrorLast, static_cast<int32_t>(deep.size()) - 1);

    engine.Parse("1+1");
    EXPECT_EQ(engine.aErrorFirst, -1);
    EXPECT_EQ(engine.aErrorLast, -1);
    EXPECT_FALSE(engine.aErrorUnclosed);
}

TEST_F(ErrorStretchTest, FailingParseOfTheInstancesOwnText) {
    cFormulaEngine engine;
    EXPECT_THROW(engine.Parse("1+foo(2)"), feFehlerCode);
    // The stripped text is parsed again; the stretch refers to it.
    EXPECT_THROW(engine.Parse(engine.aFormula.get()), feFehlerCode);
    EXPECT_EQ(engine.aErrorFirst, 2);
    EXPECT_EQ(engine.aErrorLast, 4);
}

TEST(FormulaText, FindsTheFirstForeignCharacter) {
    EXPECT_FALSE(FindForeignChar("sin(x) *\t2\r\n"));
    EXPECT_FALSE(FindForeignChar(""));

    auto times = FindForeignChar("2\u00D73");
    ASSERT_TRUE(times);
    EXPECT_EQ(times->aOffset, 1u);
    EXPECT_EQ(times->aLength, 2u);
    EXPECT_EQ(times->aColumn, 2u);
    EXPECT_STREQ(ForeignCharHint("\u00D7"), "use *");

    auto root = FindForeignChar("\u03C0+\u221A2"); // the first one counts
    ASSERT_TRUE(root);
    EXPECT_EQ(root->aOffset, 0u);
    EXPECT_EQ(root->aLength, 2u);

    auto later = FindForeignChar("ab \u2212 1");
    ASSERT_TRUE(later);
    EXPECT_EQ(later->aColumn, 4u);
    EXPECT_EQ(later->aLength, 3u);
    EXPECT_STREQ(ForeignCharHint("\u2212"), "use -");

    // Bytes that start no valid sequence count alone: stray continuation,
    // truncated, overlong and surrogate forms, DEL and control characters.
    const char* invalid[] = {"1\x80", "1\xE2\x88", "1\xC0\xAF", "1\xED\xA0\x80", "1\x7F", "1\x01"};
    for (const char* text : invalid) {
        auto bad = FindForeignChar(text);
        ASSERT_TRUE(bad) << text;
        EXPECT_EQ(bad->aOffset, 1u);
        EXPECT_EQ(bad->aLength, 1u);
    }
    EXPECT_EQ(ForeignCharHint("\u00E9"), nullptr);
}

TEST(FormulaText, ColumnsCountCharacters) {
    const std::string text = "\u03C0\u00D7r\u00B2";
    EXPECT_EQ(ColumnOfOffset(text, 0), 1u);
    EXPECT_EQ(ColumnOfOffset(text, 2), 2u);
    EXPECT_EQ(ColumnOfOffset(text, 4), 3u);
    EXPECT_EQ(ColumnOfOffset(text, 5), 4u);
    EXPECT_EQ(ColumnOfOffset(text, 100), 5u);
}

} // namespace
