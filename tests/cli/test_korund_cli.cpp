// SPDX-License-Identifier: GPL-3.0-or-later
#include "../settings/SpecialFiles.h"
#include "../settings/TempDir.h"
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::vector<std::string> EArgs(const std::vector<std::string>& formulas) {
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

TEST(KorundCli, AnswersEachFormulaWithOneLine) {
    const AnswerCase cases[] = {
        {"1+2", "3"},
        {"2^10-24", "1000"},
        {"-2^2", "-4"},
        {"sum(1,1,10,i)", "55"},
        {"", "parse error: empty formula [feErrEmpty]"},
        {"1+", "parse error: operator without an operand at column 2 [feErrEmpty]"},
        {"2*-3", "parse error: operator without an operand at column 2 (a sign stands only at the start of a "
                 "formula, a bracket or an argument: 2*(-3)) [feErrEmpty]"},
        {"1)", "parse error: unmatched ')' at column 2 [feErrBrackets]"},
        {"(1+2", "parse error: missing closing bracket for '(' at column 1 [feErrUnknownFunction]"},
        {"2 * (3+4", "parse error: missing closing bracket for '(' at column 5 [feErrUnknownFunction]"},
        {"nope(1)", "parse error: unknown function 'nope' at column 1 [feErrUnknownFunction]"},
        {"pi", "parse error: unknown constant 'pi' at column 1 (did you mean pi()?) [feErrUnknownConstant]"},
        {"#", "parse error: '#' is not a number, variable or name at column 1 [feErrBadSymbol]"},
        {"sin(1,2)", "parse error: wrong number of arguments for 'sin' (it takes 1 argument) at column 1 "
                     "[feErrArgCount]"},
        {"2\xc3\x97"
         "3",
         "parse error: character '\xc3\x97' at column 2 is not part of a formula (use *)"},
        {"\xe2\x88\x9a"
         "2",
         "parse error: character '\xe2\x88\x9a' at column 1 is not part of a formula (use sqrt(...))"},
        {"1+\x1b[A", "parse error: character U+001B at column 3 is not part of a formula", true},
        {"1+\xff", "parse error: byte 0xFF at column 3 is not part of a formula"},
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
            EXPECT_THAT(lines[i], ::testing::Not(HasSubstr("[feErr"))) << cases[i].formula;
        } else {
            EXPECT_EQ(lines[i], cases[i].answer) << cases[i].formula;
        }
    }
    EXPECT_EQ(result.aStatus, 1);
    EXPECT_EQ(result.aErr, "");
}

TEST(KorundCli, ExitStatusZeroWhenEverythingSucceeds) {
    const cCliResult result = RunCli(EArgs({"1", "2+3", ":vars"}));
    EXPECT_EQ(result.aStatus, 0);
    EXPECT_EQ(result.Lines().size(), 2u + 26u);
}

TEST(KorundCli, PipeKeepsVariablesAndSkipsBlankLines) {
    const cCliResult result = RunCli({}, "sum(1,1,10,i)\n\n   \ni\r\nmul(2,1,5,j)\n\t\nj\ni+j\n1+\n");
    EXPECT_THAT(result.Lines(), ElementsAre("55", "11", "120", "6", "17",
                                            "parse error: operator without an operand at column 2 [feErrEmpty]"));
    EXPECT_EQ(result.aStatus, 1);
    EXPECT_EQ(result.aErr, "") << "no prompt or banner in a pipe";
}

TEST(KorundCli, EmptyInputAnswersNothing) {
    const cCliResult result = RunCli({}, "");
    EXPECT_EQ(result.aOut, "");
    EXPECT_EQ(result.aStatus, 0);
}

TEST(KorundCli, MemoryCommandsUseTheLastResult) {
    const cCliResult result = RunCli({},
                                     ":m x\nx\n"               // before any calculation the last result is 0
                                     "10\n:m x\n3\n:m- x\nx\n" // [M-] is variable minus last result: 7
                                     "5\n:m+ x\nx\n"           // 12
                                     "1/0\n:m y\ny\n"          // a failed calculation leaves 0
                                     "2\n:m z\n1+\n:m+ z\nz\n" // a parse failure too: 2 + 0
                                     ":m\n:m A\n:m ab\n");
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 14u) << result.aOut;
    EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 5), ElementsAre("0", "10", "3", "7", "5"));
    EXPECT_EQ(lines[5], "12");
    EXPECT_THAT(lines[6], StartsWith("calc error: "));
    EXPECT_EQ(lines[7], "0");
    EXPECT_EQ(lines[8], "2");
    EXPECT_EQ(lines[9], "parse error: operator without an operand at column 2 [feErrEmpty]");
    EXPECT_EQ(lines[10], "2");
    for (size_t i = 11; i < 14; ++i)
        EXPECT_THAT(lines[i], StartsWith("error: ")) << i;
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, VarsListsAllLettersInOrder) {
    const cCliResult result = RunCli(EArgs({"5", ":m b", ":vars"}));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[1], "a = 0");
    EXPECT_EQ(lines[2], "b = 5");
    EXPECT_EQ(lines[26], "z = 0");
}

TEST(KorundCli, UnknownCommandIsAnError) {
    const cCliResult result = RunCli(EArgs({":frobnicate", ":vars extra", "1"}));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_THAT(lines[0], StartsWith("error: "));
    EXPECT_THAT(lines[1], StartsWith("error: "));
    EXPECT_EQ(lines[2], "1");
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, HelpListsCommandsAndAllBuiltins) {
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

TEST(KorundCli, UsageErrorsExitWithStatusTwo) {
    const UsageCase cases[] = {
        {{"-x"}, "unknown option '-x'"},
        {{"--frob"}, "unknown or ambiguous option '--frob'"},
        {{"--help=1"}, "unknown or ambiguous option '--help'"},
        {{"--digits", "0"}, "--digits needs a whole number of decimal digits from 1 to 100000"},
        {{"--digits=12x"}, "--digits needs a whole number"},
        {{"--angle", "grad"}, "--angle needs rad, deg or gra"},
        {{"--base", "37"}, "--base needs a base from 2 to 36"},
        {{"--output-base", "1"}, "--output-base needs a base from 2 to 36"},
        {{"-e"}, "option '-e' needs an argument"},
        {{"--ini"}, "option '--ini' needs an argument"},
        {{"--constants"}, "option '--constants' needs an argument"},
        {{"stray"}, "cannot read the script stray: No such file or directory"},
        {{"/"}, "cannot read the script /: Is a directory"},
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

TEST(KorundCli, IniFileSettingsApplyBeforeTheEngineStarts) {
    cTempDir dir;
    WriteText(dir.File("hex.ini"), "[Calculation]\r\nOutputSys = 16\r\n");
    WriteText(dir.File("in16.ini"), "[Calculation]\nInputSys=16\n");
    WriteText(dir.File("small.ini"), "[Parser]\nMaxConst=1\n");
    WriteText(dir.File("garbage.ini"), "[Calculation]\nOutputSys=sixteen\n");

    EXPECT_THAT(RunCli({"--ini", dir.File("hex.ini"), "-e", "255"}).Lines(), ElementsAre(::testing::StrCaseEq("ff")));
    EXPECT_THAT(RunCli({"--ini=" + dir.File("in16.ini"), "-e", "FF"}).Lines(), ElementsAre("255"));
    EXPECT_THAT(RunCli({"--ini", dir.File("garbage.ini"), "-e", "255"}).Lines(), ElementsAre("255"));

    const cCliResult full =
        RunCli({"--ini", dir.File("small.ini"), "-e", ":const ab=1", "-e", ":const cd=2", "-e", "cd"});
    const auto lines = full.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], StartsWith("error: "));
    EXPECT_EQ(lines[1], "parse error: unknown constant 'cd' at column 1 [feErrUnknownConstant]");
}

// Without --ini and without Korund.ini beside the program, the per-user file
// of XDG_CONFIG_HOME is read; --ini wins over it.
TEST(KorundCli, PerUserSettingsApplyUnlessIniIsGiven) {
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

TEST(KorundCli, VersionAndHelpNameTheSettingsOrder) {
    const cCliResult version = RunCli({"--version"});
    EXPECT_EQ(version.aStatus, 0);
    EXPECT_THAT(version.aOut, ::testing::MatchesRegex("korund-cli [0-9]+(\\.[0-9]+)+\n"));
    const cCliResult help = RunCli({"--help", "-e", "1"});
    EXPECT_EQ(help.aStatus, 0);
    EXPECT_THAT(help.aOut, HasSubstr("--version"));
    EXPECT_THAT(help.aOut, HasSubstr("~/.config/korund/Korund.ini"));
    EXPECT_THAT(help.aOut, HasSubstr("$XDG_CONFIG_HOME/korund/Korund.ini"));
}

TEST(KorundCli, LibraryEntriesCompileOrReportWhyNot) {
    const cCliResult result = RunCli({},
                                     ":const gr = 9.80665 | gravity\n"
                                     ":func hyp(x,y)=sqrt(x^2+y^2) | hypotenuse\n"
                                     ":func twice(x)=2*x\n"
                                     "hyp(3,4)*twice(gr)/gr\n"
                                     ":func f(x)=x*zz\n" // unknown constant
                                     ":func f(x)=f(x)\n" // itself: not yet defined
                                     ":func f(x)=(x\n"   // "(a" is taken as a constant name
                                     ":func f(1)=2\n"    // a parameter must be a letter
                                     ":func f=2\n"       // no parameter list
                                     ":const cc\n"       // no '='
                                     ":const cc=1Q\n"    // not a number
                                     ":func\n"
                                     ":consts\n:funcs\n");
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 12u) << result.aOut;
    EXPECT_EQ(lines[0], "10");
    EXPECT_EQ(lines[1], "error: in the body: unknown constant 'zz' [feErrUnknownConstant]");
    EXPECT_EQ(lines[2], "error: in the body: unknown function 'f' [feErrUnknownFunction]");
    EXPECT_EQ(lines[3], "error: in the body: unknown constant '(a' [feErrUnknownConstant]");
    for (size_t i = 4; i < 9; ++i)
        EXPECT_THAT(lines[i], StartsWith("error: ")) << i;
    EXPECT_EQ(lines[9], "gr | gravity");
    EXPECT_EQ(lines[10], "hyp(x,y) | hypotenuse");
    EXPECT_EQ(lines[11], "twice(x)");
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, SavedLibrariesLoadInTheNextRun) {
    cTempDir dir;
    const std::string krc = dir.File("lib.krc");
    const std::string krf = dir.File("lib.krf");
    const cCliResult save = RunCli({}, ":const gr=9.80665 | gravity\n:func fall(t)=gr*t^2/2\n"
                                       ":save consts " +
                                           krc + "\n:save funcs " + krf + "\n");
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

TEST(KorundCli, FailedSaveKeepsTheOldFile) {
    cTempDir dir;
    const std::string krc = dir.File("lib.krc");
    WriteText(krc, "old content");
    const cCliResult result =
        RunCli(EArgs({":save consts " + dir.File("missing/lib.krc"), ":save consts", ":save both " + krc}));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines)
        EXPECT_THAT(line, StartsWith("error: "));
    EXPECT_EQ(ReadText(krc), "old content");
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, SettingsFileThatIsNoFileIsRefusedWithStatusTwo) {
    cTempDir dir;
    std::filesystem::create_directory(dir.File("dir.ini"));
    ASSERT_TRUE(MakeFifo(dir.File("fifo.ini")));
    WriteText(dir.File("large.ini"), std::string((size_t{1} << 20) + 1, '\n'));
    const std::pair<std::string, const char*> cases[] = {
        {dir.File("dir.ini"), "directory"},
        {dir.File("fifo.ini"), "not a regular file"}, // answered at once, not blocked
        {"/dev/zero", "not a regular file"},
        {dir.File("large.ini"), "larger than 1 MiB"},
    };
    for (const auto& [path, reason] : cases) {
        const cCliResult result = RunCli({"--ini", path, "-e", "1+1"});
        EXPECT_EQ(result.aStatus, 2) << path;
        EXPECT_EQ(result.aOut, "") << path;
        EXPECT_THAT(result.aErr, HasSubstr(path)) << path;
        EXPECT_THAT(result.aErr, HasSubstr(reason)) << path;
    }
    // The usual way to say "no settings file": the defaults, nothing written.
    const cCliResult none = RunCli({"--ini", "/dev/null", "-e", ":settings"});
    EXPECT_EQ(none.aStatus, 0) << none.aErr;
    EXPECT_EQ(none.aErr, "");
    EXPECT_THAT(none.aOut, HasSubstr("deg"));
}

TEST(KorundCli, HandEditedCapacitiesAreClampedAndSaid) {
    cTempDir dir;
    WriteText(dir.File("huge.ini"), "[Parser]\nMaxConst=10000000\nMaxFunc=-1\n");
    const cCliResult result = RunCli({"--ini", dir.File("huge.ini"), "-e", ":func f(x)=x", "-e", "2"});
    EXPECT_THAT(result.aErr, HasSubstr("MaxConst=10000000 is above the maximum of 100000; 100000 is used"));
    EXPECT_THAT(result.aErr, HasSubstr("MaxFunc=-1 is below 0; 0 is used"));
    EXPECT_THAT(result.Lines(), ElementsAre(StartsWith("error: the function library is full"), "2"));
}

TEST(KorundCli, SaveReplacesOnlyRegularFiles) {
    cTempDir dir;
    ASSERT_TRUE(MakeFifo(dir.File("pipe.krc")));
    ASSERT_TRUE(MakeSocket(dir.File("socket.krc")));
    ASSERT_EQ(symlink("nothing", dir.File("dangling.krc").c_str()), 0);
    ASSERT_EQ(symlink("loop.krc", dir.File("loop.krc").c_str()), 0);
    WriteText(dir.File("real.krc"), "old");
    ASSERT_EQ(symlink("real.krc", dir.File("link.krc").c_str()), 0);
    const cCliResult result =
        RunCli(EArgs({":const cc=3", ":save consts " + dir.File("pipe.krc"), ":save consts " + dir.File("socket.krc"),
                      ":save consts " + dir.File("dangling.krc"), ":save consts " + dir.File("loop.krc"),
                      ":save consts " + dir.File("link.krc")}));
    EXPECT_THAT(result.Lines(), ElementsAre(HasSubstr("a FIFO, not a regular file"), HasSubstr("a socket"),
                                            HasSubstr("leads to nothing"), HasSubstr("cannot be followed")));
    EXPECT_EQ(result.aStatus, 1);
    EXPECT_EQ(TypeOf(dir.File("pipe.krc")), static_cast<mode_t>(S_IFIFO));
    EXPECT_EQ(TypeOf(dir.File("socket.krc")), static_cast<mode_t>(S_IFSOCK));
    EXPECT_EQ(TypeOf(dir.File("dangling.krc")), static_cast<mode_t>(S_IFLNK));
    EXPECT_EQ(TypeOf(dir.File("link.krc")), static_cast<mode_t>(S_IFLNK));
    EXPECT_EQ(ReadText(dir.File("real.krc")).substr(0, 3), "KRC");
}

TEST(KorundCli, RedefiningANameReplacesItOrSaysWhyNot) {
    const cCliResult result = RunCli({},
                                     ":func ff(x)=x+1\n"
                                     ":func gg(x)=ff(x)*2\n"
                                     ":func ff(x)=x+100 | shifted\n" // replaced in place: gg sees it
                                     "gg(1)\n"
                                     ":func ff(x,y)=x\n" // gg would no longer compile
                                     "gg(1)\n"
                                     ":const cu=2\n"
                                     ":const cv=3\n"
                                     ":func hh(x)=x*cu\n"
                                     ":const cv = 30\n" // in no function: replaced
                                     ":const cu=5\n"    // used by hh: refused
                                     "hh(1)+cv\n"
                                     ":funcs\n:consts\n");
    EXPECT_THAT(result.Lines(), ElementsAre("note: replaced the earlier definition of ff", "202",
                                            StartsWith("error: the library does not compile"), "202",
                                            "note: replaced the earlier definition of cv",
                                            "error: the constant cu is used by a function and cannot be redefined",
                                            "32", "ff(x) | shifted", "gg(x)", "hh(x)", "cu", "cv"));
    EXPECT_EQ(result.aStatus, 1);
}

TEST(KorundCli, DefinitionsNoLibraryFileCanHoldAreRefused) {
    const std::string largest = ":const cl=" + std::string(65532, '1');
    const std::string larger = ":func ff(x)=x+" + std::string(65530, '1');
    const std::string description = ":const cd=1 | " + std::string(65536, 'd');
    const cCliResult result = RunCli(EArgs({largest, larger, description, ":consts"}));
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 3u) << result.aOut.substr(0, 300);
    EXPECT_THAT(lines[0], HasSubstr("at most 65535 bytes"));
    EXPECT_THAT(lines[1], HasSubstr("at most 65535 bytes"));
    EXPECT_EQ(lines[2], "cl");
}

TEST(KorundCli, OutputThatCannotBeWrittenIsAnError) {
    // standard output on a full device, and closed
    const std::string cli = KORUND_CLI;
    const std::string full = "'" + cli + "' -e 1+1 >/dev/full; echo \"status $?\"";
    const std::string closed = "'" + cli + "' -e 1+1 >&-; echo \"status $?\"";
    for (const std::string& command : {full, closed}) {
        const cCliResult result = RunShell(command);
        EXPECT_THAT(result.aOut, HasSubstr("status 1")) << command;
        EXPECT_THAT(result.aErr, HasSubstr("korund-cli: cannot write the output")) << command;
    }
}

TEST(KorundCli, DepthAcrossUserFunctionCallsIsACalcError) {
    // Each body lies within the parser's limit; their depths add up across calls.
    std::string input = ":func fa(x)=x+1\n";
    std::string previous = "fa";
    for (char c = 'b'; c <= 'l'; ++c) {
        std::string body = "x";
        for (int i = 0; i < 3333; ++i)
            body = previous + "(" + body + ")";
        input += ":func f" + std::string(1, c) + "(x)=" + body + "\n";
        previous = std::string("f") + c;
    }
    input += "fl(1)\nfb(1)\n";
    const cCliResult result = RunCli({}, input);
    EXPECT_THAT(result.Lines(), ElementsAre(StartsWith("calc error: the calculation nests too deeply"), "3334"));
    EXPECT_EQ(result.aStatus, 1);
}

struct LoadFailureCase {
    const char* name;
    std::string bytes;
    const char* message;
};

TEST(KorundCli, BadLibraryFilesReportTheirMessageAndExit) {
    using namespace std::string_literals;
    const LoadFailureCase cases[] = {
        {"function file as constants", "KRF\x00\x01\x00\x00\x00\x00"s, "this is not a Korund constant library file"},
        {"other version", "KRC\x00\x02\x00\x00\x00\x00"s,
         "the constant library was written by a version of Korund with another file format for libraries; a "
         "version that knows that format reads it"},
        {"truncated entry",
         "KRC\x00\x01\x01\x00\x00\x00\x05\x00"
         "ab"s,
         "the file ends before the constant library does (it is damaged or incomplete)"},
        {"empty file", ""s, "the file ends before the constant library does (it is damaged or incomplete)"},
        {"invalid declaration",
         "KRC\x00\x01\x02\x00\x00\x00\x04\x00"
         "ab=1\x00\x00\x04\x00"
         "cd=Q\x00\x00"s,
         "declaration 1 of the constant library is invalid, so the library is not loaded"},
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
    WriteText(dir.File("two.krc"), "KRC\x00\x01\x02\x00\x00\x00\x04\x00"
                                   "ab=1\x00\x00\x04\x00"
                                   "cd=2\x00\x00"s);
    const cCliResult full = RunCli({"--ini", dir.File("small.ini"), "--constants", dir.File("two.krc")});
    EXPECT_EQ(full.aStatus, 1);
    EXPECT_THAT(full.aErr, HasSubstr("more entries than MaxConst=1 in [Parser] of the settings file allows"));
    EXPECT_THAT(full.aErr, ::testing::Not(HasSubstr("preferences")));

    // A directory opens but cannot be read: the system's reason.
    const std::string folder = dir.Path().string();
    const cCliResult directory = RunCli({"--constants", folder});
    EXPECT_EQ(directory.aStatus, 1);
    EXPECT_EQ(directory.aErr, "korund-cli: " + folder + ": cannot read the file: Is a directory\n");

    const cCliResult missing = RunCli({"--functions", dir.File("none.krf")});
    EXPECT_EQ(missing.aStatus, 1);
    EXPECT_THAT(missing.aErr, HasSubstr(dir.File("none.krf")));
}

TEST(KorundCli, CtrlCInterruptsTheEvaluationAndTheSessionGoesOn) {
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

TEST(KorundCli, CtrlCWhileWaitingForInputEndsTheProgram) {
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
