// SPDX-License-Identifier: GPL-3.0-or-later
// korund-cli's completion and parse messages on their own.
#include "CliCompletion.h"
#include "ParseMessages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::vector<std::string> kNames{"sin(", "sinh(", "sqrt(", "gravity", "ga_b("};
const std::vector<std::string> kCommands{":m", ":m+", ":settings", ":save", "quit", "exit"};

TEST(CompleteWord, TheWordBeforeTheCursor) {
    const cCompletion inside = CompleteWord("2*si+1", 4, kNames, kCommands);
    EXPECT_EQ(inside.aWordStart, 2u);
    EXPECT_THAT(inside.aCandidates, ElementsAre("sin(", "sinh("));
    EXPECT_THAT(CompleteWord("2*(gr", 5, kNames, kCommands).aCandidates, ElementsAre("gravity"));
    EXPECT_THAT(CompleteWord("ga_", 3, kNames, kCommands).aCandidates, ElementsAre("ga_b("));
    EXPECT_THAT(CompleteWord("2*", 2, kNames, kCommands).aCandidates, IsEmpty()) << "no word, no list of all";
    EXPECT_THAT(CompleteWord("", 0, kNames, kCommands).aCandidates, IsEmpty());
    EXPECT_THAT(CompleteWord("   ", 3, kNames, kCommands).aCandidates, IsEmpty());
}

TEST(CompleteWord, CommandsOnlyAtTheStartOfTheLine) {
    const cCompletion command = CompleteWord("  :se", 5, kNames, kCommands);
    EXPECT_EQ(command.aWordStart, 2u);
    EXPECT_THAT(command.aCandidates, ElementsAre(":settings"));
    EXPECT_THAT(CompleteWord(":s", 2, kNames, kCommands).aCandidates, ElementsAre(":save", ":settings"));
    EXPECT_THAT(CompleteWord("q", 1, kNames, kCommands).aCandidates, ElementsAre("quit"));
    EXPECT_THAT(CompleteWord("1+q", 3, kNames, kCommands).aCandidates, IsEmpty());
    EXPECT_THAT(CompleteWord("s", 1, kNames, kCommands).aCandidates, ElementsAre("sin(", "sinh(", "sqrt("));
}

TEST(CommonStart, LongestSharedStart) {
    EXPECT_EQ(CommonStart({"sin(", "sinh("}), "sin");
    EXPECT_EQ(CommonStart({"arccos(", "arccot("}), "arcco");
    EXPECT_EQ(CommonStart({"x"}), "x");
    EXPECT_EQ(CommonStart({}), "");
}

TEST(ParseFailureMessage, ColumnsCountCharactersAndStayInsideTheText) {
    // "é" takes two bytes; foo starts at byte 3, column 3.
    const cParseFailure unknown{feErrUnknownFunction, {}, 3, 8, false};
    const cParseMessage message = ParseFailureMessage("\xc3\xa9+foo(2)", unknown);
    EXPECT_EQ(message.aText, "unknown function 'foo' at column 3 [feErrUnknownFunction]");
    EXPECT_EQ(message.aColumn, 3u);
    EXPECT_EQ(message.aWidth, 6u);
    // A stretch past the end of the text is cut at the end.
    const cParseMessage cut = ParseFailureMessage("1+", {feErrEmpty, {}, 1, 40, false});
    EXPECT_EQ(cut.aText, "operator without an operand at column 2 [feErrEmpty]");
    EXPECT_EQ(cut.aWidth, 1u);
    // Without a place: the words without a name or column.
    EXPECT_EQ(ParseFailureMessage("x", {feErrUnknownConstant, {}, -1, -1, false}).aText,
              "unknown constant [feErrUnknownConstant]");
    EXPECT_EQ(ParseFailureMessage("1Q", {std::nullopt, "invalid number 1Q", -1, -1, false}).aText, "invalid number 1Q");
    EXPECT_EQ(ParseFailureMessage("foo(1)", {feErrUnknownFunction, {}, 0, 5, false}, false).aText,
              "unknown function 'foo' [feErrUnknownFunction]");
}

TEST(CaretLines, CaretUnderTheColumnWithBlanksForControlCharacters) {
    EXPECT_EQ(CaretLines("2*(3+4", 3, 1), "  2*(3+4\n    ^\n");
    EXPECT_EQ(CaretLines("\tfoo(1)", 2, 3), "   foo(1)\n   ^^^\n");
    EXPECT_EQ(CaretLines("1+\x1b[A", 3, 1), "  1+ [A\n    ^\n");
}

} // namespace
