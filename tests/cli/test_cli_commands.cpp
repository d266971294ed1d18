// SPDX-License-Identifier: GPL-3.0-or-later
// korund-cli's options that override the settings, script files, the
// session commands and the checks that keep answers from being silently wrong.
#include "../settings/TempDir.h"
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

TEST(KorundCliOptions, DigitsAngleAndBasesOverrideTheSettingsFile) {
    cTempDir dir;
    WriteText(dir.File("k.ini"), "[Calculation]\nDigitsUse=20\nDigitsDrop=3\nAngleMode=0\nOutputSys=16\n");
    const std::string ini = dir.File("k.ini");
    // 5 decimal digits need 2 native digits (one holds 4.8), shown in full.
    // 50 decimal digits are 11 native digits; with the drop of 3, DigitsUse=14.
    const cCliResult digits = RunCli({"--ini", ini, "--digits", "50", "--output-base=10", "-e", ":settings"});
    EXPECT_THAT(digits.Lines(), ::testing::Contains("native calc digits > 14 (= 28 bytes / 68 decimal digits)"));
    EXPECT_THAT(digits.Lines(), ::testing::Contains("native output digits > 11 (= 22 bytes / 53 decimal digits)"));
    EXPECT_THAT(RunCli({"--ini", ini, "--digits", "5", "--output-base", "10", "-e", "1/3"}).Lines(),
                ElementsAre("0.333333333"));

    // Abbreviated long options, -eFORMULA and --angle.
    EXPECT_THAT(RunCli({"--ini", ini, "--ang", "deg", "--out=10", "-esin(30)"}).Lines(), ElementsAre("0.5"));
    EXPECT_THAT(RunCli({"--ini", ini, "--angle=gra", "--output-base", "10", "-e", "sin(100)"}).Lines(),
                ElementsAre("1"));
    EXPECT_THAT(RunCli({"--ini", ini, "--base", "2", "-e", "101+1"}).Lines(), ElementsAre("110"));
    EXPECT_THAT(RunCli({"--ini", ini, "-e", "255"}).Lines(), ElementsAre(::testing::StrCaseEq("ff")));

    const cCliResult tooMany = RunCli({"--ini", ini, "--digits", "100000", "-e", "1"});
    EXPECT_EQ(tooMany.aStatus, 0) << "20763 native digits and the drop fit 16 bits";
    WriteText(dir.File("drop.ini"), "[Calculation]\nDigitsDrop=60000\n");
    const cCliResult over = RunCli({"--ini", dir.File("drop.ini"), "--digits", "100000", "-e", "1"});
    EXPECT_EQ(over.aStatus, 2);
    EXPECT_THAT(over.aErr, HasSubstr("needs more than 65535 native digits"));
}

TEST(KorundCliOptions, ScriptFilesRunAfterTheFormulasAndSkipComments) {
    cTempDir dir;
    WriteText(dir.File("one.krs"), "#!/usr/bin/korund-cli\n# a comment\n2+3\n\n:m a\n  # not a comment: a formula\n");
    WriteText(dir.File("-two.krs"), "a*2\n");
    const cCliResult result = RunCli({"-e", "1", dir.File("one.krs"), "--", "-two.krs"});
    // The relative name starting with '-' is looked up in the working folder.
    EXPECT_EQ(result.aStatus, 2);

    const cCliResult both = RunCli({"-e", "1", dir.File("one.krs"), "--", dir.File("-two.krs")});
    EXPECT_THAT(both.Lines(), ElementsAre("1", "5", StartsWith("parse error: "), "10"));
    EXPECT_EQ(both.aStatus, 1);

    WriteText(dir.File("quit.krs"), "1\nquit\n2\n");
    const cCliResult quit = RunCli({dir.File("quit.krs"), dir.File("one.krs")});
    EXPECT_THAT(quit.Lines(), ElementsAre("1"));
    EXPECT_EQ(quit.aStatus, 0);
}

TEST(KorundCliCommands, QuitExitAndQEndTheSession) {
    for (const char* command : {"quit", "exit", ":q", "  quit  "}) {
        const cCliResult result = RunCli({}, std::string("1\n") + command + "\n2\n");
        EXPECT_THAT(result.Lines(), ElementsAre("1")) << command;
        EXPECT_EQ(result.aStatus, 0) << command;
    }
    // Only the whole line is the command; an argument is an error.
    EXPECT_THAT(RunCli({}, "quit 1\n:q now\n3\n").Lines(),
                ElementsAre(StartsWith("parse error: "), "error: :q takes no argument", "3"));
    EXPECT_THAT(RunCli({}, "1/0\nexit\n").aStatus, 1) << "an earlier failure still counts";
}

TEST(KorundCliCommands, SettingsShowsTheSevenStateLines) {
    const cCliResult result = RunCli({"--angle", "gra", "-e", ":settings"});
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_THAT(lines[0], StartsWith("native calc digits > 6 "));
    EXPECT_EQ(lines[5], "flags > gra; eng off");
    EXPECT_THAT(lines[6], StartsWith("memory > constants: "));
    EXPECT_THAT(RunCli({"-e", ":settings now"}).Lines(), ElementsAre(StartsWith("error: ")));
}

TEST(KorundCliCommands, HelpExplainsOneBuiltinFunction) {
    EXPECT_THAT(RunCli({"-e", ":help normloc", "-e", ":help sum(", "-e", ":help nope", "-e", ":help :vars"}).Lines(),
                ElementsAre("normloc(x): density of the standard normal distribution",
                            StartsWith("sum(<var index>,<from>,<to>,<expression>): "), StartsWith("error: 'nope'"),
                            StartsWith("error: ")));
    // Every built-in function has its line.
    for (const char* name : {"abs", "arccot", "invnormloc", "fak", "per", "com", "trunc", "round", "e", "pi", "mul"}) {
        const auto lines = RunCli({"-e", std::string(":help ") + name}).Lines();
        ASSERT_EQ(lines.size(), 1u) << name;
        EXPECT_THAT(lines[0], StartsWith(std::string(name) + "(")) << name;
    }
}

TEST(KorundCliNames, DefinitionsNoFormulaCanReachAreRefused) {
    const cCliResult result = RunCli({},
                                     ":const g=9.81\n"
                                     ":const c1=3\n"
                                     ":const Na=6\n"
                                     ":func h2(q)=q\n"
                                     ":func sqrt(x)=x\n"
                                     ":const gn=9.81\n"
                                     ":func f(x)=2\xc3\x97x\n"
                                     ":func f(x)=2*x | \xc3\x97 two\n" // a description may hold any text
                                     "g*2\ngn*2\nf(3)\n:consts\n");
    EXPECT_THAT(result.Lines(),
                ElementsAre("error: no formula could reach the name 'g': a name of one letter is always a variable",
                            StartsWith("error: no formula could reach the name 'c1': a digit or capital letter"),
                            StartsWith("error: no formula could reach the name 'Na': a digit or capital letter"),
                            StartsWith("error: no formula could reach the name 'h2': a digit or capital letter"),
                            StartsWith("error: no formula could reach the name 'sqrt': a built-in function"),
                            "error: character '\xc3\x97' at column 7 is not part of a formula (use *)", "0", "19.62",
                            "6", "gn"));
}

TEST(KorundCliNames, LibraryFilesWithUnreachableNamesLoadAndSaySo) {
    using namespace std::string_literals;
    cTempDir dir;
    // ab=1, g=2, ab=3, X1=4
    WriteText(dir.File("names.krc"), "KRC\x00\x01\x04\x00\x00\x00"
                                     "\x04\x00"
                                     "ab=1\x00\x00"
                                     "\x03\x00"
                                     "g=2\x00\x00"
                                     "\x04\x00"
                                     "ab=3\x00\x00"
                                     "\x04\x00"
                                     "X1=4\x00\x00"s);
    const std::string path = dir.File("names.krc");
    const cCliResult result = RunCli({"--constants", path, "-e", "ab", "-e", ":consts"});
    EXPECT_EQ(result.aStatus, 0);
    EXPECT_THAT(result.Lines(), ElementsAre("1", "ab", "g", "ab", "X1"));
    EXPECT_EQ(result.aErr, "korund-cli: " + path +
                               ": the constant 'g' cannot be reached by any formula: a name of one letter is "
                               "always a variable\n"
                               "korund-cli: " +
                               path +
                               ": the constant 'ab' cannot be reached by any formula: an earlier entry has "
                               "the same name, and formulas reach that one\n"
                               "korund-cli: " +
                               path +
                               ": the constant 'X1' cannot be reached by any formula: a digit or capital "
                               "letter in the name (names are written with a to z and _)\n");

    // A definition with a character the engine leaves out loads, and is said.
    WriteText(dir.File("times.krc"), "KRC\x00\x01\x01\x00\x00\x00\x07\x00"
                                     "ab=2\xc3\x97"
                                     "3\x00\x00"s);
    const cCliResult times = RunCli({"--constants", dir.File("times.krc"), "-e", "ab"});
    EXPECT_THAT(times.Lines(), ElementsAre("23"));
    EXPECT_EQ(times.aErr,
              "korund-cli: " + dir.File("times.krc") +
                  ": definition 1 of the file: character '\xc3\x97' "
                  "at column 5 is not part of a formula (use *); the engine reads it without that character\n");

    // A second file is checked against the first: its ab repeats an earlier name.
    WriteText(dir.File("more.krc"), "KRC\x00\x01\x01\x00\x00\x00\x04\x00"
                                    "ab=9\x00\x00"s);
    const cCliResult second = RunCli({"--constants", dir.File("more.krc"), "--constants", dir.File("more.krc")});
    EXPECT_EQ(second.aErr, "korund-cli: " + dir.File("more.krc") +
                               ": the constant 'ab' cannot be reached by any formula: an earlier entry has the same "
                               "name, and formulas reach that one\n");
}

TEST(KorundCliSettings, ValuesThatCannotBeUsedAsWrittenAreReported) {
    cTempDir dir;
    const std::string ini = dir.File("k.ini");
    WriteText(ini, "[Calculation]\nAngleMode=7\nDigitsUse=65536\nInputSys=ten\n[Parser]\nMaxConst=-5\n");
    const cCliResult result = RunCli({"--ini", ini, "-e", "sin(90)", "-e", "2"});
    EXPECT_EQ(result.aStatus, 0);
    EXPECT_EQ(result.aErr, "korund-cli: " + ini +
                               ": InputSys=ten is not a whole number; 10 is used\n"
                               "korund-cli: " +
                               ini +
                               ": DigitsUse=65536 does not fit 0 to 65535; 1 is used\n"
                               "korund-cli: " +
                               ini +
                               ": DigitsDrop=2 leaves no digit of DigitsUse=1 to show; an "
                               "output of 1 native digit is used\n"
                               "korund-cli: " +
                               ini +
                               ": AngleMode=7 is not 0, 1 or 2; 0 (radians) is used\n"
                               "korund-cli: " +
                               ini + ": MaxConst=-5 is below 0; 0 is used\n");
    ASSERT_EQ(result.Lines().size(), 2u);
    EXPECT_THAT(result.Lines()[0], StartsWith("0.89")) << "sin(90) in radians";

    WriteText(ini, "[Calculation]\nAngleMode=2\n");
    EXPECT_EQ(RunCli({"--ini", ini, "-e", "1"}).aErr, "");
}

} // namespace

namespace {

TEST(KorundCliHelp, ExplainsTheFormulaRulesUsersTripOver) {
    const cCliResult help = RunCli({"--he"});
    EXPECT_EQ(help.aStatus, 0);
    for (const char* text : {"1 is i, 2 is j,\n  3 is k, anything else l", "Angles are in degrees", "write 2*(-3)",
                             "1.5E3", "lines starting with # are comments", "--digits N", "--angle rad|deg|gra",
                             "--output-base N", "quit, exit, :q or Ctrl-D"})
        EXPECT_THAT(help.aOut, HasSubstr(text));
}

} // namespace
