// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniReports.h"
#include "KorundSettings.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

std::vector<std::string> Lines(const std::vector<cIniReport>& reports) {
    std::vector<std::string> lines;
    for (const cIniReport& report : reports)
        lines.push_back(IniReportLine(report));
    return lines;
}

TEST(IniReports, ValuesThatAreNoWholeNumberAreReportedWithTheDefault) {
    cTempDir dir;
    const std::string path = dir.File("k.ini");
    WriteText(path, "[Calculation]\nDigitsUse=12.5\nanglemode = deg\nInputSys=16\nInputSys=x\n[Parser]\nMaxFunc=\n");
    std::vector<cIniReport> reports;
    const cKorundSettings read = ReadKorundIni(path, nullptr, &reports);
    EXPECT_EQ(read.DigitsUse, 6);
    EXPECT_EQ(read.InputSys, 16);
    // The key is spelt as the program spells it; a later repeat is not read at all.
    EXPECT_THAT(reports, ElementsAre(cIniReport{"DigitsUse", "12.5", "is not a whole number", "6"},
                                     cIniReport{"AngleMode", "deg", "is not a whole number", "1"},
                                     cIniReport{"MaxFunc", "", "is not a whole number", "30"}));

    std::vector<cIniReport> none;
    WriteText(path, "[Calculation]\nDigitsUse=8\n");
    ReadKorundIni(path, nullptr, &none);
    EXPECT_TRUE(none.empty());
}

TEST(IniReports, DefaultsAndLimitsFitTheirSettings) {
    cKorundSettings settings;
    EXPECT_TRUE(SettingRangeReports(settings).empty());
    settings.DigitsUse = 65535;
    settings.DigitsDrop = 65534;
    settings.InputSys = 2;
    settings.OutputSys = 36;
    settings.MaxExp = -32768;
    settings.AngleMode = 2;
    settings.EngMode = 2;
    EXPECT_TRUE(SettingRangeReports(settings).empty());
}

TEST(IniReports, ValuesOutsideTheirSettingSayWhatTheProgramsUse) {
    cKorundSettings settings;
    settings.DigitsUse = 65536; // low 16 bits 0, at least one digit
    settings.InputSys = 65552;  // low 16 bits 16: a usable base
    settings.OutputSys = 1;
    settings.MaxExp = 40000;
    settings.MinExp = -1;
    settings.EngMode = 3;
    settings.AngleMode = 7;
    EXPECT_THAT(Lines(SettingRangeReports(settings)),
                ElementsAre("DigitsUse=65536 does not fit 0 to 65535; 1 is used",
                            "DigitsDrop=2 leaves no digit of DigitsUse=1 to show; an output of 1 native digit is used",
                            "InputSys=65552 is not a base from 2 to 36; 16 is used",
                            "OutputSys=1 is not a base from 2 to 36; 10 is used",
                            "MaxExp=40000 does not fit -32768 to 32767; -25536 is used",
                            "MinExp=-1 does not fit 0 to 65535; 65535 is used",
                            "EngMode=3 is not 0, 1 or 2; 0 (off) is used",
                            "AngleMode=7 is not 0, 1 or 2; 0 (radians) is used"));
    settings = {};
    settings.DigitsUse = 0;
    settings.AngleMode = 65537; // stored in 16 bits as 1
    EXPECT_THAT(Lines(SettingRangeReports(settings)),
                ElementsAre("DigitsUse=0 is below 1; 1 is used",
                            "DigitsDrop=2 leaves no digit of DigitsUse=1 to show; an output of 1 native digit is used",
                            "AngleMode=65537 is not 0, 1 or 2; 1 (degrees) is used"));
}

} // namespace
