// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences window: fields loaded from and written to Korund.ini.
#include "Config_unit.h"
#include "FakeDialogs.h"
#include "KorundSettings.h"
#include "Korund_main_unit.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ConfigTest : public ::testing::Test {
protected:
    cFakeDialogs dialogs;
    QTemporaryDir dir;
    cKorundWindows W;
    TFConfig config{W};

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        config.IniPath = config.IniWritePath = dir.filePath("Korund.ini");
    }
    void Open() { Dialogs().ShowModal(&config); }
    QByteArray IniBytes() const { return FileBytes(config.IniPath); }
    static QByteArray FileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void WriteIni(const QByteArray& text) {
        QFile file(config.IniPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QStringList Fields() const {
        QStringList texts;
        for (QLineEdit* e : {config.EDigitsUse, config.EDigitsDrop, config.EInputSys, config.EOutputSys, config.EMaxExp,
                             config.EMinExp, config.ENativeEps, config.EMaxConst, config.EMaxFunc, config.ERefAlloc})
            texts << e->text();
        return texts;
    }
};

TEST_F(ConfigTest, ShowsDefaultsWithoutFileAndOkWritesThem) {
    Open();
    EXPECT_EQ(config.windowTitle(), "Preferences");
    EXPECT_EQ(Fields(), QStringList({"6", "2", "10", "10", "5", "5", "2", "100", "30", "10"}));
    EXPECT_EQ(config.REngMode->ItemIndex(), 0);   // off
    EXPECT_EQ(config.RAngleMode->ItemIndex(), 1); // deg
    EXPECT_EQ(IniBytes(), "<missing>");

    config.BOk->click();
    EXPECT_FALSE(config.isVisible());
    const cKorundSettings written = ReadKorundIni(config.IniPath.toStdString());
    const cKorundSettings defaults;
    for (const auto& key : SettingKeys())
        EXPECT_EQ(written.*(key.aField), defaults.*(key.aField)) << key.aKey;
    const QByteArray text = IniBytes();
    for (const char* line : {"[Calculation]", "DigitsUse=6", "AngleMode=1", "[Parser]", "RefAlloc=10"})
        EXPECT_TRUE(text.contains(line)) << line;
}

TEST_F(ConfigTest, OkWritesTypedValuesWithoutBlanks) {
    Open();
    config.EDigitsUse->clear();
    QTest::keyClicks(config.EDigitsUse, "12");
    config.EMaxFunc->setText(" 7 ");
    config.REngMode->SetItemIndex(2);
    config.RAngleMode->SetItemIndex(0);
    config.BOk->click();
    const QByteArray text = IniBytes();
    EXPECT_TRUE(text.contains("DigitsUse=12\n") || text.contains("DigitsUse=12\r\n")) << text.constData();
    const cKorundSettings s = ReadKorundIni(config.IniPath.toStdString());
    EXPECT_EQ(s.DigitsUse, 12);
    EXPECT_EQ(s.MaxFunc, 7);
    EXPECT_EQ(s.EngMode, 2);
    EXPECT_EQ(s.AngleMode, 0);
}

TEST_F(ConfigTest, FieldsAdmitOneToFourDigits) {
    Open();
    struct cCase {
        const char* typed;
        const char* shown;
    } const cases[] = {{"12345", "1234"}, {"9a9", "99"}, {"-3", "3"}, {" 5", "5"}, {"0", "0"}};
    for (const auto& c : cases) {
        config.EInputSys->clear();
        QTest::keyClicks(config.EInputSys, c.typed);
        EXPECT_EQ(config.EInputSys->text(), c.shown) << c.typed;
    }
}

TEST_F(ConfigTest, OkWithEmptyFieldWritesNothingAndStaysOpen) {
    WriteIni("[Calculation]\nDigitsUse=8\n");
    Open();
    config.EDigitsUse->setText("9");
    config.ENativeEps->clear();
    config.BOk->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains("internal zero epsilon"));
    EXPECT_TRUE(config.isVisible());
    EXPECT_EQ(IniBytes(), "[Calculation]\nDigitsUse=8\n");
}

TEST_F(ConfigTest, CancelWritesNothingAndNextShowingReloads) {
    WriteIni("[Calculation]\nDigitsUse=8\nEngMode=1\n[Parser]\nMaxConst=50\n");
    Open();
    EXPECT_EQ(config.EDigitsUse->text(), "8");
    EXPECT_EQ(config.EMaxConst->text(), "50");
    EXPECT_EQ(config.REngMode->ItemIndex(), 1);
    config.EDigitsUse->setText("99");
    config.REngMode->SetItemIndex(2);
    config.BCancel->click();
    EXPECT_FALSE(config.isVisible());
    EXPECT_EQ(IniBytes(), "[Calculation]\nDigitsUse=8\nEngMode=1\n[Parser]\nMaxConst=50\n");
    Open();
    EXPECT_EQ(config.EDigitsUse->text(), "8");
    EXPECT_EQ(config.REngMode->ItemIndex(), 1);
}

TEST_F(ConfigTest, HandEditedValuesOutsideTheControlsSurviveOk) {
    WriteIni("[Calculation]\nDigitsUse=123456\nEngMode=5\nAngleMode=7\n");
    Open();
    EXPECT_EQ(config.EDigitsUse->text(), "9999");
    EXPECT_EQ(config.REngMode->ItemIndex(), -1);
    EXPECT_EQ(config.RAngleMode->ItemIndex(), -1);
    config.BOk->click();
    const cKorundSettings s = ReadKorundIni(config.IniPath.toStdString());
    EXPECT_EQ(s.DigitsUse, 9999);
    EXPECT_EQ(s.EngMode, 5);
    EXPECT_EQ(s.AngleMode, 7);
}

// A read-only Korund.ini beside the program seeds the fields; OK writes the
// per-user file, creating its folder, and the next showing reads that.
TEST_F(ConfigTest, OkWritesThePerUserFileWhenItDiffersFromTheOneRead) {
    WriteIni("[Calculation]\nDigitsUse=9\n");
    const QString seedPath = config.IniPath;
    config.IniWritePath = dir.filePath("config/korund/Korund.ini");
    Open();
    EXPECT_EQ(config.EDigitsUse->text(), "9");
    config.EMaxFunc->setText("7");
    config.BOk->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(FileBytes(seedPath), "[Calculation]\nDigitsUse=9\n") << "the file read stays as it was";
    const cKorundSettings written = ReadKorundIni(config.IniWritePath.toStdString());
    EXPECT_EQ(written.DigitsUse, 9);
    EXPECT_EQ(written.MaxFunc, 7);
    EXPECT_EQ(config.IniPath, config.IniWritePath);
    Open();
    EXPECT_EQ(config.EMaxFunc->text(), "7");
}

TEST_F(ConfigTest, UnwritablePerUserFolderIsReportedAndTheWindowStaysOpen) {
    WriteIni("[Calculation]\nDigitsUse=9\n");
    config.IniWritePath = dir.filePath("Korund.ini/korund/Korund.ini"); // a file is in the way
    Open();
    config.BOk->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Error: The settings file \"" + config.IniWritePath +
                                                    "\" could not be written"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(config.isVisible());
    EXPECT_EQ(config.IniPath, dir.filePath("Korund.ini"));
}

TEST(ConfigWithMain, OkChangesNothingInRunningProgram) {
    cFakeDialogs dialogs;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SetKorundIniPath(dir.filePath("Korund.ini").toStdString());
    {
        cKorundWindows W;
        TFMain main(W);
        TFConfig config(W);
        W.Main = &main;
        W.Config = &config;
        EXPECT_EQ(config.IniPath, dir.filePath("Korund.ini"));
        const QString state = main.MState->toPlainText();
        const uint16_t precision = cLongReal::aPrecision;
        const uint32_t maxConst = cFormulaEngine::aConstantMax;

        Dialogs().ShowModal(&config);
        config.EDigitsUse->setText("12");
        config.EMaxConst->setText("3");
        config.BOk->click();

        EXPECT_EQ(ReadKorundIni(config.IniPath.toStdString()).DigitsUse, 12);
        EXPECT_EQ(main.MState->toPlainText(), state);
        EXPECT_EQ(cLongReal::aPrecision, precision);
        EXPECT_EQ(cFormulaEngine::aConstantMax, maxConst);
        main.EFormel->setText("1/3");
        main.Edit_CalculateClick();
        cFormulaEngine calc;
        calc.Parse("1/3");
        EXPECT_EQ(main.LErgebnis->text(), static_cast<const char*>(calc.Evaluate()));
    }
    cFormulaEngine::aConstantCount = 0;
    cFormulaEngine::aUserFunctionCount = 0;
    SetKorundIniPath("");
}

} // namespace

namespace {

TEST_F(ConfigTest, ValuesNotUsedAsWrittenAreMarkedWithTheReason) {
    WriteIni("[Calculation]\nDigitsUse=12x\nInputSys=40\nAngleMode=7\nMinExp=3\n"
             "[Parser]\nMaxConst=-1\n");
    Open();
    std::vector<size_t> marked;
    for (size_t i = 0; i < SettingKeys().size(); ++i)
        if (config.Marked(i))
            marked.push_back(i);
    // DigitsUse, InputSys, AngleMode, MaxConst in key order
    EXPECT_EQ(marked, (std::vector<size_t>{0, 2, 8, 9}));
    EXPECT_TRUE(config.EDigitsUse->toolTip().startsWith("DigitsUse=12x")) << config.EDigitsUse->toolTip().toStdString();
    EXPECT_EQ(config.EMaxConst->toolTip(), "MaxConst=-1 is below 0; 0 is used");
    EXPECT_TRUE(config.RAngleMode->toolTip().startsWith("AngleMode=7 is not 0, 1 or 2"));
    EXPECT_TRUE(config.EMinExp->toolTip().isEmpty());
    EXPECT_NE(config.EDigitsUse->palette().color(QPalette::Base), config.EMinExp->palette().color(QPalette::Base));

    // Written back by OK: the replaced values are clean at the next showing;
    // a base of 40 typed in the field and an angle mode no button shows stay.
    config.BOk->click();
    Open();
    marked.clear();
    for (size_t i = 0; i < SettingKeys().size(); ++i)
        if (config.Marked(i))
            marked.push_back(i);
    EXPECT_EQ(marked, (std::vector<size_t>{2, 8}));
    EXPECT_EQ(config.EDigitsUse->palette().color(QPalette::Base), config.EMinExp->palette().color(QPalette::Base));
}

} // namespace
