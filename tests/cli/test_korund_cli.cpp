// SPDX-License-Identifier: GPL-3.0-or-later
#include "../settings/TempDir.h"
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::vector<std::string> EArgs(const std::vector<std::string>& formulas)
{
    std::vector<std::string> args;
    for (const std::string& f : formulas) {
        args.push_back("-e");
        args.push_back(f);
    }
    return args;
}

struct AnswerCase {
    const char* formula;
    const char* answer; // exact line, or the expected start when prefixOnly
    bool prefixOnly = false;
};

TEST(KorundCli, AnswersEachFormulaWithOneLine)
{
    const AnswerCase cases[] = {
        {"1+2", "3"},
        {"2^10-24", "1000"},
        {"-2^2", "-4"},
        {"sum(1,1,10,i)", "55"},
        {"", "parse error: feErrEmpty"},
        {"1+", "parse error: feErrEmpty"},
        {"2*-3", "parse error: feErrEmpty"},
        {"1)", "parse error: feErrBrackets"},
        {"(1+2", "parse error: feErrUnknownFunction"},
        {"nope(1)", "parse error: feErrUnknownFunction"},
        {"pi", "parse error: feErrUnknownConstant"},
        {"#", "parse error: feErrBadSymbol"},
        {"sin(1,2)", "parse error: feErrArgCount"},
        {"1Q", "parse error: ", true},
        {"1/0", "calc error: ", true},
        {"ln(0)", "calc error: ", true},
    };
    std::vector<std::string> formulas;
    for (const auto& c : cases)
        formulas.push_back(c.formula);
    const cCliResult result = RunCli(EArgs(formulas));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), std::size(cases)) << result.aOut;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (cases[i].prefixOnly) {
            EXPECT_THAT(lines[i], StartsWith(cases[i].answer)) << cases[i].formula;
            EXPECT_GT(lines[i].size(), std::string(cases[i].answer).size()) << "reason missing: " << cases[i].formula;
            EXPECT_THAT(lines[i], ::testing::Not(HasSubstr("feErr"))) << cases[i].formula;
        } else {
            EXPECT_EQ(lines[i], cases[i].answer) << cases[i].formula;
        }
    }
    EXPECT_EQ(result.aStatus, 1);
    EXPECT_EQ(result.aErr, "");
}

TEST(KorundCli, ExitStatusZeroWhenEverythingSucceeds)
{
    const cCliResult result = RunCli(EArgs({"1", "2+3", ":vars"}));
    EXPECT_EQ(result.aStatus, 0);
    EXPECT_EQ(result.Lines().size(), 2u + 26u);
}

TEST(KorundCli, PipeKeepsVariablesAndSkipsBlankLines)
{
    const cCliResult result =
        RunCli({}, "sum(1,1,10,i)\n\n   \ni\r\nmul(2,1,5,j)\n\t\nj\ni+j\n1+\n");
    EXPECT_THAT(result.Lines(), ElementsAre("55", "11", "120", "6", "17", "parse error: feErrEmpty"));
    EXPECT_EQ(result.aStatus, 1);
    EXPECT_EQ(result.aErr, "") << "no prompt or banner in a pipe";
}

TEST(KorundCli, EmptyInputAnswersNothing)
{
    const cCliResult result = RunCli({}, "");
    EXPECT_EQ(result.aOut, "");
    EXPECT_EQ(result.aStatus, 0);
}

TEST(KorundCli, MemoryCommandsUseTheLastResult)
{
    const cCliResult result = RunCli({},
                                     ":m x\nx\n"          // before any calculation the last result is 0
                                     "10\n:m x\n3\n:m- x\nx\n" // [M-] is variable minus last result: 7
                                     "5\n:m+ x\nx\n"      // 12
                                     "1/0\n:m y\ny\n"     // a failed calculation leaves 0
                                     "2\n:m z\n1+\n:m+ z\nz\n" // a parse failure too: 2 + 0
                                     ":m\n:m A\n:m ab\n");
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 14u) << result.aOut;
    EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 5), ElementsAre("0", "10", "3", "7", "5"));
    EXPECT_EQ(lines[5], "12");
    EXPECT_THAT(lines[6], StartsWith("calc error: "));
    EXPECT_EQ(lines[7], "0");
    EXPECT_EQ(lines[8], "2");
    EXPECT_EQ(lines[9], "parse error: feErrEmpty");
    EXPECT_EQ(lines[10], "2");
    for (size_t i = 11; i < 14; ++i)
        EXPECT_THAT(lines[i], StartsWith("error: ")) << i;
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, VarsListsAllLettersInOrder)
{
    const cCliResult result = RunCli(EArgs({"5", ":m b", ":vars"}));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[1], "a = 0");
    EXPECT_EQ(lines[2], "b = 5");
    EXPECT_EQ(lines[26], "z = 0");
}

TEST(KorundCli, UnknownCommandIsAnError)
{
    const cCliResult result = RunCli(EArgs({":frobnicate", ":vars extra", "1"}));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_THAT(lines[0], StartsWith("error: "));
    EXPECT_THAT(lines[1], StartsWith("error: "));
    EXPECT_EQ(lines[2], "1");
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, HelpListsCommandsAndAllBuiltins)
{
    const cCliResult result = RunCli(EArgs({":help"}));
    for (const char* text : {":m+ x", ":save consts FILE", "invnormloc(x)", "per(n,k)", "pi()",
                             "sum(<var index>,<from>,<to>,<expression>)", "mul(<var index>,<from>,<to>,<expression>)"})
        EXPECT_THAT(result.aOut, HasSubstr(text));
    EXPECT_EQ(result.aStatus, 0);
}

struct UsageCase {
    std::vector<std::string> args;
    const char* message;
};

TEST(KorundCli, UsageErrorsExitWithStatusTwo)
{
    const UsageCase cases[] = {
        {{"-x"}, "unknown option '-x'"},
        {{"--frob"}, "unknown option '--frob'"},
        {{"-e"}, "option '-e' needs an argument"},
        {{"--ini"}, "option '--ini' needs an argument"},
        {{"--constants"}, "option '--constants' needs an argument"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--ini", "/nonexistent/Korund.ini", "-e", "1"}, "/nonexistent/Korund.ini"},
    };
    for (const auto& c : cases) {
        const cCliResult result = RunCli(c.args);
        EXPECT_EQ(result.aStatus, 2) << c.message;
        EXPECT_THAT(result.aErr, HasSubstr(c.message));
        EXPECT_EQ(result.aOut, "");
    }
    const cCliResult help = RunCli({"--help"});
    EXPECT_EQ(help.aStatus, 0);
    EXPECT_THAT(help.aOut, StartsWith("Usage: korund-cli"));
}

TEST(KorundCli, IniFileSettingsApplyBeforeTheEngineStarts)
{
    cTempDir dir;
    WriteText(dir.File("hex.ini"), "[Calculation]\r\nOutputSys = 16\r\n");
    WriteText(dir.File("in16.ini"), "[Calculation]\nInputSys=16\n");
    WriteText(dir.File("small.ini"), "[Parser]\nMaxConst=1\n");
    WriteText(dir.File("garbage.ini"), "[Calculation]\nOutputSys=sixteen\n");

    EXPECT_THAT(RunCli({"--ini", dir.File("hex.ini"), "-e", "255"}).Lines(), ElementsAre(::testing::StrCaseEq("ff")));
    EXPECT_THAT(RunCli({"--ini=" + dir.File("in16.ini"), "-e", "FF"}).Lines(), ElementsAre("255"));
    EXPECT_THAT(RunCli({"--ini", dir.File("garbage.ini"), "-e", "255"}).Lines(), ElementsAre("255"));

    const cCliResult full = RunCli({"--ini", dir.File("small.ini"), "-e", ":const ab=1", "-e", ":const cd=2", "-e", "cd"});
    const auto lines = full.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], StartsWith("error: "));
    EXPECT_EQ(lines[1], "parse error: feErrUnknownConstant");
}

// Without --ini and without Korund.ini beside the program, the per-user file
// of XDG_CONFIG_HOME is read; --ini wins over it.
TEST(KorundCli, PerUserSettingsApplyUnlessIniIsGiven)
{
    cTempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    std::filesystem::create_directories(dir.Path() / "korund");
    WriteText(dir.File("korund/Korund.ini"), "[Calculation]\nOutputSys=16\n");
    WriteText(dir.File("dec.ini"), "[Calculation]\nOutputSys=10\n");

    const auto perUser = RunCli({"-e", "255"}).Lines();
    const auto given = RunCli({"--ini", dir.File("dec.ini"), "-e", "255"}).Lines();
    old ? setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    EXPECT_THAT(perUser, ElementsAre(::testing::StrCaseEq("ff")));
    EXPECT_THAT(given, ElementsAre("255"));
}

TEST(KorundCli, VersionAndHelpNameTheSettingsOrder)
{
    const cCliResult version = RunCli({"--version"});
    EXPECT_EQ(version.aStatus, 0);
    EXPECT_THAT(version.aOut, ::testing::MatchesRegex("korund-cli [0-9]+(\\.[0-9]+)+\n"));
    const cCliResult help = RunCli({"--help", "-e", "1"});
    EXPECT_EQ(help.aStatus, 0);
    EXPECT_THAT(help.aOut, HasSubstr("--version"));
    EXPECT_THAT(help.aOut, HasSubstr("~/.config/korund/Korund.ini"));
    EXPECT_THAT(help.aOut, HasSubstr("$XDG_CONFIG_HOME/korund/Korund.ini"));
}

TEST(KorundCli, LibraryEntriesCompileOrReportWhyNot)
{
    const cCliResult result = RunCli({},
                                     ":const gr = 9.80665 | gravity\n"
                                     ":func hyp(x,y)=sqrt(x^2+y^2) | hypotenuse\n"
                                     ":func twice(x)=2*x\n"
                                     "hyp(3,4)*twice(gr)/gr\n"
                                     ":func f(x)=x*zz\n"       // unknown constant
                                     ":func f(x)=f(x)\n"       // itself: not yet defined
                                     ":func f(x)=(x\n"         // "(a" is taken as a constant name
                                     ":func f(1)=2\n"          // a parameter must be a letter
                                     ":func f=2\n"             // no parameter list
                                     ":const cc\n"             // no '='
                                     ":const cc=1Q\n"          // not a number
                                     ":func\n"
                                     ":consts\n:funcs\n");
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 12u) << result.aOut;
    EXPECT_EQ(lines[0], "10");
    EXPECT_EQ(lines[1], "error: feErrUnknownConstant");
    EXPECT_EQ(lines[2], "error: feErrUnknownFunction");
    EXPECT_EQ(lines[3], "error: feErrUnknownConstant");
    for (size_t i = 4; i < 9; ++i)
        EXPECT_THAT(lines[i], StartsWith("error: ")) << i;
    EXPECT_EQ(lines[9], "gr | gravity");
    EXPECT_EQ(lines[10], "hyp(x,y) | hypotenuse");
    EXPECT_EQ(lines[11], "twice(x)");
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, SavedLibrariesLoadInTheNextRun)
{
    cTempDir dir;
    const std::string krc = dir.File("lib.krc");
    const std::string krf = dir.File("lib.krf");
    const cCliResult save = RunCli({},
                                   ":const gr=9.80665 | gravity\n:func fall(t)=gr*t^2/2\n"
                                   ":save consts " + krc + "\n:save funcs " + krf + "\n");
    EXPECT_EQ(save.aOut, "");
    ASSERT_EQ(save.aStatus, 0) << save.aErr;

    const cCliResult load = RunCli({"--constants", krc, "--functions", krf, "-e", "fall(2)/gr", "-e", ":consts"});
    EXPECT_THAT(load.Lines(), ElementsAre("2", "gr | gravity"));
    EXPECT_EQ(load.aStatus, 0) << load.aErr;

    // Functions compile after all constants, whatever the order of the options.
    EXPECT_EQ(RunCli({"--functions", krf, "--constants", krc, "-e", "fall(1)"}).aStatus, 0);
    // The same library twice adds it twice.
    const cCliResult twice = RunCli({"--constants", krc, "--constants", krc, "-e", ":consts"});
    EXPECT_THAT(twice.Lines(), ElementsAre("gr | gravity", "gr | gravity"));
}

TEST(KorundCli, FailedSaveKeepsTheOldFile)
{
    cTempDir dir;
    const std::string krc = dir.File("lib.krc");
    WriteText(krc, "old content");
    const cCliResult result = RunCli(EArgs({":save consts " + dir.File("missing/lib.krc"), ":save consts",
                                            ":save both " + krc}));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines)
        EXPECT_THAT(line, StartsWith("error: "));
    EXPECT_EQ(ReadText(krc), "old content");
    EXPECT_EQ(result.aStatus, 1);
}

struct LoadFailureCase {
    const char* name;
    std::string bytes;
    const char* message;
};

TEST(KorundCli, BadLibraryFilesReportTheirMessageAndExit)
{
    using namespace std::string_literals;
    const LoadFailureCase cases[] = {
        {"function file as constants", "KRF\x00\x01\x00\x00\x00\x00"s, "Error: This is not a valid Korund library file."},
        {"other version", "KRC\x00\x02\x00\x00\x00\x00"s,
         "Error: This library cannot be read, because it was created by a version of Korund which uses another "
         "file format for libraries. You may want to upgrate to an appropriate version."},
        {"truncated entry", "KRC\x00\x01\x01\x00\x00\x00\x05\x00" "ab"s,
         "Error: While trying to perform file operations, Korund encountered an error. You may want to restart "
         "windows."},
        {"empty file", ""s,
         "Error: While trying to perform file operations, Korund encountered an error. You may want to restart "
         "windows."},
        {"invalid declaration", "KRC\x00\x01\x02\x00\x00\x00\x04\x00" "ab=1\x00\x00\x04\x00" "cd=Q\x00\x00"s,
         "Error: While trying to load this library, Korund has found an invalid declaration. The library cannot "
         "be loaded. You may want to contact the person who supplied this library.\n(declaration 1)"},
    };
    cTempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.File("bad.krc");
        WriteText(path, c.bytes);
        const cCliResult result = RunCli({"--constants", path, "-e", "1"});
        EXPECT_EQ(result.aStatus, 1) << c.name;
        EXPECT_EQ(result.aErr, "korund-cli: " + path + ": " + c.message + "\n") << c.name;
        EXPECT_EQ(result.aOut, "") << c.name;
    }

    WriteText(dir.File("small.ini"), "[Parser]\nMaxConst=1\n");
    WriteText(dir.File("two.krc"), "KRC\x00\x01\x02\x00\x00\x00\x04\x00" "ab=1\x00\x00\x04\x00" "cd=2\x00\x00"s);
    const cCliResult full = RunCli({"--ini", dir.File("small.ini"), "--constants", dir.File("two.krc")});
    EXPECT_EQ(full.aStatus, 1);
    EXPECT_THAT(full.aErr, HasSubstr("The memory area which is reserved for this purpose is full."));

    const cCliResult missing = RunCli({"--functions", dir.File("none.krf")});
    EXPECT_EQ(missing.aStatus, 1);
    EXPECT_THAT(missing.aErr, HasSubstr(dir.File("none.krf")));
}

TEST(KorundCli, CtrlCInterruptsTheEvaluationAndTheSessionGoesOn)
{
    // The first answer shows that the long evaluation is about to start.
    bool sent = false;
    const cCliResult result = RunCli({}, "1\nsum(1,1,10^9,sin(i))\n1+1\n", [&sent](pid_t pid, const std::string& out) {
        if (!sent && out == "1\n") {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(pid, SIGINT);
            sent = true;
        }
    });
    EXPECT_THAT(result.Lines(), ElementsAre("1", "calc error: interrupted", "2"));
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, CtrlCWhileWaitingForInputEndsTheProgram)
{
    bool sent = false;
    const cCliResult result = RunCli(
        {}, "1\n",
        [&sent](pid_t pid, const std::string& out) {
            if (!sent && out == "1\n") {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                kill(pid, SIGINT);
                sent = true;
            }
        },
        true);
    EXPECT_EQ(result.aOut, "1\n");
    EXPECT_EQ(result.aStatus, 130);
}

} // namespace
