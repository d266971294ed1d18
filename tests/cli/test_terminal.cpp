// SPDX-License-Identifier: GPL-3.0-or-later
// korund-cli at a terminal: line editing, history across runs, Tab
// completion, the caret under a parse error and Ctrl-C, through a
// pseudo-terminal.
#include "../settings/TempDir.h"
#include "PtyRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class Terminal : public ::testing::Test {
protected:
    std::vector<std::string> Env() const {
        return {"XDG_STATE_HOME=" + aDir.File("state"), "XDG_CONFIG_HOME=" + aDir.File("config"),
                "HOME=" + aDir.File("home"), "LANG=C.UTF-8", "TERM=xterm"};
    }
    std::string HistoryFile() const { return aDir.File("state") + "/korund/history"; }

    cTempDir aDir;
};

const std::string kUp = "\x1b[A";

TEST_F(Terminal, EditingAndHistoryAcrossTwoRuns) {
    {
        cPtySession first({}, Env());
        ASSERT_TRUE(first.Started());
        ASSERT_TRUE(first.WaitFor("> "));
        // Left arrow and a character typed in the middle: 1+2 becomes 1+52.
        first.Send("1+2\x1b[D"
                   "5\r");
        ASSERT_TRUE(first.WaitFor("53\r\n> ")) << first.Output();
        first.Send(":vars\r");
        ASSERT_TRUE(first.WaitFor("z = 0\r\n> "));
        first.Send("quit\r");
        EXPECT_EQ(first.Wait(), 0) << first.Output();
    }
    // Formulas go into the shared history; commands do not.
    EXPECT_EQ(ReadText(HistoryFile()), "1+52\n");

    cPtySession second({}, Env());
    ASSERT_TRUE(second.WaitFor("> "));
    const size_t mark = second.Mark();
    second.Send(kUp + "*2\r");
    EXPECT_TRUE(second.WaitFor("105\r\n> ", mark)) << second.Output();
    second.Send("\x04"); // Ctrl-D on an empty line
    EXPECT_EQ(second.Wait(), 0) << second.Output();
    EXPECT_EQ(ReadText(HistoryFile()), "1+52\n1+52*2\n");
}

TEST_F(Terminal, TabCompletesNamesAndCommands) {
    cPtySession session({}, Env());
    ASSERT_TRUE(session.WaitFor("> "));
    session.Send(":const gravity=9.80665\r");
    ASSERT_TRUE(session.WaitFor("\r\n> "));
    session.Send("norml\t0)\r");
    EXPECT_TRUE(session.WaitFor("0.3989422804014326779\r\n> ")) << session.Output();
    session.Send("grav\t*2\r");
    EXPECT_TRUE(session.WaitFor("19.6133\r\n> ")) << session.Output();
    session.Send(":sett\t\r");
    EXPECT_TRUE(session.WaitFor("ref alloc: 10\r\n> ")) << session.Output();
    // Several candidates: their common start, then the list.
    const size_t mark = session.Mark();
    session.Send("arcc\t\t");
    EXPECT_TRUE(session.WaitFor("arccos(  arccosh(  arccot(", mark)) << session.Output();
    session.Send("\x15:q\r"); // Ctrl-U clears the line
    EXPECT_EQ(session.Wait(), 0) << session.Output();
}

TEST_F(Terminal, ParseErrorShowsACaretUnderThePlace) {
    cPtySession session({}, Env());
    ASSERT_TRUE(session.WaitFor("> "));
    session.Send("2*(3+4\r");
    EXPECT_TRUE(session.WaitFor("parse error: missing closing bracket for '(' at column 3 [feErrUnknownFunction]\r\n"
                                "  2*(3+4\r\n"
                                "    ^\r\n> "))
        << session.Output();
    session.Send("1+ foo(2)\r");
    EXPECT_TRUE(session.WaitFor("  1+ foo(2)\r\n     ^^^\r\n> ")) << session.Output();
    session.Send("2\xc3\x97"
                 "3\r");
    EXPECT_TRUE(session.WaitFor("not part of a formula (use *)\r\n  2\xc3\x97"
                                "3\r\n   ^\r\n> "))
        << session.Output();
    session.Send("exit\r");
    EXPECT_EQ(session.Wait(), 1) << "parse errors are failures";
}

TEST_F(Terminal, CtrlCInterruptsALongSumAndAtThePromptEndsTheProgram) {
    cPtySession session({}, Env());
    ASSERT_TRUE(session.WaitFor("> "));
    session.Send("sum(1,1,10^9,i)\r");
    ASSERT_TRUE(session.WaitFor("sum(1,1,10^9,i)\r\n"));
    usleep(300 * 1000);
    session.SendNow("\x03");
    EXPECT_TRUE(session.WaitFor("calc error: interrupted\r\n> ")) << session.Output();
    const size_t mark = session.Mark();
    session.Send("1+1\r");
    EXPECT_TRUE(session.WaitFor("2\r\n> ", mark)) << session.Output();
    session.Send("\x03");
    EXPECT_EQ(session.Wait(), 130) << session.Output();
    EXPECT_THAT(ReadText(HistoryFile()), HasSubstr("1+1\n")) << "the history is kept on Ctrl-C too";
}

} // namespace
