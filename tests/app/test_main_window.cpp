// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven like a user would: calculation, memory keys, the
// variable letter, sizes, clipboard, menu items and their shortcuts.
#include "AppTestSupport.h"

#include "Config_unit.h"
#include "Credits_unit.h"
#include "Lib_editor.h"
#include "Palettes_unit.h"
#include "Progress_unit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

QString NumberText(const cLongReal& value) { return QString::fromUtf8(static_cast<const char*>(value)); }

class MainWindow : public cProgramTest {
protected:
    QString Calculate(const QString& formula) {
        Main().EFormel->setText(formula);
        Main().Edit_CalculateClick();
        return Main().LErgebnis->text();
    }
    long Var(char letter) { return static_cast<long>(Main().Engine->GetVar(letter)); }
    void SetVar(char letter, long value) { Main().Engine->SetVar(letter, cLongReal(value)); }
    void ShowActive() {
        Main().show();
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    }
};

TEST_F(MainWindow, StartsWithPlaceholderTextsLetterAAndNormalSize) {
    EXPECT_EQ(Main().windowTitle(), "Korund");
    EXPECT_EQ(Main().EFormel->text(), "<formula>");
    EXPECT_EQ(Main().LErgebnis->text(), "<result>");
    EXPECT_EQ(Main().EStoreVar->text(), "a");
    EXPECT_TRUE(Main().Edit_Size_Normal->isChecked());
    EXPECT_FALSE(Main().Edit_Size_Tiny->isChecked() || Main().Edit_Size_Small->isChecked());
    EXPECT_TRUE(Main().MState->isReadOnly());
    EXPECT_TRUE(Main().LErgebnis->font().bold());
    EXPECT_EQ(Main().pos(), QPoint(112, 180));
}

TEST_F(MainWindow, OpensAtTheDesignSizeWithThePlaceholderSelected) {
    ShowActive();
    EXPECT_EQ(Main().centralWidget()->size(), QSize(494, 191));
    EXPECT_EQ(Main().focusWidget(), Main().EFormel);
    EXPECT_EQ(Main().EFormel->selectedText(), "<formula>");
    QTest::keyClicks(Main().EFormel, "7");
    EXPECT_EQ(Main().EFormel->text(), "7");
}

TEST_F(MainWindow, CalculateShowsTheResultAndKeepsTheFormula) {
    EXPECT_EQ(Calculate("2*3"), NumberText(cLongReal(6L)));
    EXPECT_EQ(Main().EFormel->text(), "2*3");
    EXPECT_TRUE(Main().LastResult == cLongReal(6L));
    EXPECT_TRUE(Main().BCalculate->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindow, FailuresShowTheirMessageErrorTextAndResetLastResult) {
    struct tRow {
        const char* formula;
        const char* message;
    } rows[] = {
        {"1+", "parse error"},
        {"", "parse error"}, // the empty text goes to the parser too
        {"(1", "parse error"},
        {"2*pi", "parse error (did you mean pi()?)"}, // a built-in typed without brackets
        {"sin 30", "parse error (did you mean sin(30)?)"},
        {"1/0", "calc error"},
        {"ln(0-1)", "calc error"},
    };
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.formula);
        Calculate("5");
        dialogs.messages.clear();
        EXPECT_EQ(Calculate(row.formula), "<ERROR>");
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, row.message);
        EXPECT_EQ(dialogs.messages[0].type, tMsgType::Plain);
        EXPECT_TRUE(Main().LastResult == cLongReal(0L));
        EXPECT_TRUE(Main().BCalculate->isEnabled());
    }
}

TEST_F(MainWindow, MemoryAfterParseErrorStoresZero) {
    SetVar('a', 42);
    Calculate("1+");
    Main().BMClick();
    EXPECT_EQ(Var('a'), 0);
}

TEST_F(MainWindow, MemoryKeysUseTheLetterAndKeepTheVariableOnTheLeft) {
    struct tRow {
        void (TFMain::*key)();
        long before, expected;
    } rows[] = {
        {&TFMain::BMClick, 10, 3}, {&TFMain::BMplusClick, 10, 13}, {&TFMain::BMminusClick, 10, 7}, // 10 - 3, not 3 - 10
    };
    Calculate("3");
    Main().EStoreVar->setText("q");
    for (const tRow& row : rows) {
        SetVar('q', row.before);
        (Main().*row.key)();
        EXPECT_EQ(Var('q'), row.expected);
        EXPECT_EQ(Var('a'), 0);
        EXPECT_TRUE(Main().LastResult == cLongReal(3L));
        EXPECT_EQ(Main().EFormel->text(), "3");
    }
}

TEST_F(MainWindow, ArrowsStepTheLetterWithoutWrapping) {
    struct tRow {
        const char* from;
        bool up;
        const char* to;
    } rows[] = {{"a", true, "b"}, {"m", false, "l"}, {"z", true, "z"}, {"a", false, "a"}, {"y", true, "z"}};
    for (const tRow& row : rows) {
        Main().EStoreVar->setText(row.from);
        row.up ? Main().BStoreVar->ClickUp() : Main().BStoreVar->ClickDown();
        EXPECT_EQ(Main().EStoreVar->text(), row.to) << row.from << (row.up ? " up" : " down");
    }
}

TEST_F(MainWindow, LetterFieldAcceptsOnlyOneLowerCaseLetter) {
    for (const char* typed : {"A", "1", " ", "{", "`"}) {
        Main().EStoreVar->setText("k");
        Main().EStoreVar->selectAll();
        QTest::keyClicks(Main().EStoreVar, typed);
        EXPECT_EQ(Main().EStoreVar->text(), "a") << "typed '" << typed << "'";
    }
    Main().EStoreVar->setText("k");
    Main().EStoreVar->selectAll();
    QTest::keyClick(Main().EStoreVar, Qt::Key_Backspace);
    EXPECT_EQ(Main().EStoreVar->text(), "a");
    QTest::keyClicks(Main().EStoreVar, "x"); // full: one character at most
    EXPECT_EQ(Main().EStoreVar->text(), "a");
}

TEST_F(MainWindow, ClearResetsFormulaAndResultButNotTheVariables) {
    Calculate("7");
    Main().BMClick();
    Main().Edit_ClearClick();
    EXPECT_EQ(Main().EFormel->text(), "");
    EXPECT_EQ(Main().LErgebnis->text(), NumberText(cLongReal(0L)));
    EXPECT_TRUE(Main().LastResult == cLongReal(0L));
    EXPECT_EQ(Var('a'), 7);
    EXPECT_EQ(Main().focusWidget(), Main().EFormel);
}

TEST_F(MainWindow, SizesSetTheDesignClientAreaAndLineWidths) {
    struct tRow {
        QAction* item;
        QSize client; // below the menu bar
        int formelWidth;
        bool keyboard, state;
    } rows[] = {
        {Main().Edit_Size_Tiny, {182, 64}, 169, false, false},
        {Main().Edit_Size_Tiny, {182, 64}, 169, false, false}, // again: nothing changes
        {Main().Edit_Size_Small, {182, 191}, 169, true, false},
        {Main().Edit_Size_Normal, {494, 191}, 481, true, true},
        {Main().Edit_Size_Tiny, {182, 64}, 169, false, false},
        {Main().Edit_Size_Normal, {494, 191}, 481, true, true},
    };
    Main().show();
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.item->text().toStdString());
        row.item->trigger();
        EXPECT_TRUE(row.item->isChecked());
        EXPECT_EQ(Main().centralWidget()->size(), row.client);
        EXPECT_EQ(Main().EFormel->width(), row.formelWidth);
        EXPECT_EQ(Main().LErgebnis->width(), row.formelWidth);
        EXPECT_TRUE(Main().LErgebnis->isVisible());
        EXPECT_EQ(Main().GroupBox1->isVisible(), row.keyboard);
        EXPECT_EQ(Main().StatusBox->isVisible(), row.state);
        EXPECT_EQ(Main().minimumSize(), Main().maximumSize()); // not resizable
        int checked = 0;
        for (QAction* a : {Main().Edit_Size_Tiny, Main().Edit_Size_Small, Main().Edit_Size_Normal})
            checked += a->isChecked();
        EXPECT_EQ(checked, 1);
    }
}

TEST_F(MainWindow, CopyResultPutsTheResultLineOnTheClipboard) {
    Main().Edit_CopyResultClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "<result>");
    Calculate("1+");
    Main().Edit_CopyResultClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "<ERROR>");
}

TEST_F(MainWindow, EnterInTheFormulaCalculates) {
    Main().EFormel->setText("4+5");
    QTest::keyClick(Main().EFormel, Qt::Key_Return);
    EXPECT_EQ(Main().LErgebnis->text(), NumberText(cLongReal(9L)));
}

TEST_F(MainWindow, ShortcutsActWhileTheFormulaHasTheFocus) {
    ShowActive();
    Main().EFormel->setFocus();
    Main().EFormel->setText("2+2");
    Main().EFormel->setCursorPosition(0);

    QTest::keyClick(Main().EFormel, Qt::Key_F2);
    EXPECT_EQ(Main().LErgebnis->text(), NumberText(cLongReal(4L)));
    // The main window gets the keyboard back when the progress window hides.
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Main()));

    QTest::keyClick(Main().EFormel, Qt::Key_Insert);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), NumberText(cLongReal(4L)));

    QTest::keyClick(Main().EFormel, Qt::Key_Delete); // clears, not deletes a character
    EXPECT_EQ(Main().EFormel->text(), "");
    EXPECT_EQ(Main().LErgebnis->text(), NumberText(cLongReal(0L)));

    QTest::keyClick(Main().EFormel, Qt::Key_F1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Information);

    struct tRow {
        Qt::Key key;
        int page;
    } pages[] = {{Qt::Key_B, 3}, {Qt::Key_V, 0}, {Qt::Key_F, 2}, {Qt::Key_C, 1}};
    for (const tRow& row : pages) {
        QTest::keyClick(Main().EFormel, row.key, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_TRUE(program->W.Palettes->isVisible());
        EXPECT_EQ(program->W.Palettes->PageControl->currentIndex(), row.page);
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    }
}

TEST_F(MainWindow, TheFormulaKeepsTheKeyboardAfterACalculation) {
    ShowActive();
    struct tRow {
        const char* formula;
        bool repaints; // every report a new second: the progress window pumps
    } rows[] = {{"1+1", false}, {"sum(1,1,200,i)", true}};
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.formula);
        int32_t second = 1;
        if (row.repaints)
            SetProgressClock([&] { return ++second; });
        Main().EFormel->setText(row.formula);
        QTest::keyClick(Main().EFormel, Qt::Key_Return);
        SetProgressClock({});
        EXPECT_FALSE(program->W.Progress->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Main()));
        ASSERT_EQ(QApplication::focusWidget(), Main().EFormel);
        QTest::keyClicks(QApplication::focusWidget(), "7");
        EXPECT_EQ(Main().EFormel->text(), QString(row.formula) + "7");
    }
    // Started with the button, the focus stays on the button.
    Main().EFormel->setText("1+2");
    Main().BCalculate->setFocus();
    Main().BCalculate->click();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Main()));
    EXPECT_EQ(QApplication::focusWidget(), Main().BCalculate);
}

TEST_F(MainWindow, PalettesItemsBringThePalettesForwardWithTheKeyboard) {
    ShowActive();
    for (QAction* item : {Main().Palettes_Constants, Main().Palettes_Variables}) {
        SCOPED_TRACE(item->text().toStdString());
        item->trigger(); // the second time the window is open already, behind the main window
        EXPECT_TRUE(QTest::qWaitForWindowActive(program->W.Palettes));
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    }
    EXPECT_EQ(program->W.Palettes->PageControl->currentIndex(), 0);
}

TEST_F(MainWindow, EditorItemsSetTheModeAndOpenModally) {
    bool modeSeen = false;
    dialogs.onModal = [&](QDialog* d) {
        if (d == program->W.Edit)
            modeSeen = program->W.Edit->ConstantsMode;
        d->hide();
    };
    Main().Edit_Constants->trigger();
    EXPECT_TRUE(modeSeen);
    Main().Edit_Functions->trigger();
    EXPECT_FALSE(modeSeen);
    Main().Edit_Preferences->trigger();
    Main().Help_About->trigger();
    const std::vector<QDialog*> expected{program->W.Edit, program->W.Edit, program->W.Config, program->W.Credits};
    EXPECT_EQ(dialogs.modalShown, expected);
}

TEST_F(MainWindow, DocumentationShowsTheNote) {
    Main().Help_Dokumentation->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Note: This feature is not implemented yet. It will be aviable in the final "
                                        "release of version 1.0 when beta testing is finished.");
    EXPECT_EQ(dialogs.messages[0].buttons, tMsgButtons::Ok);
}

TEST_F(MainWindow, CloseReleasesTheEngine) {
    Main().show();
    EXPECT_TRUE(Main().close());
    EXPECT_EQ(Main().Engine, nullptr);
    // Handlers after the close do nothing rather than touch a released engine.
    Main().Edit_CalculateClick();
    Main().BMClick();
}

TEST_F(MainWindow, CloseDuringAnEvaluationWaitsForItsEnd) {
    int32_t second = 1;
    SetProgressClock([&] { return ++second; }); // every report repaints and pumps
    Main().show();
    bool closedDuring = true;
    QTimer::singleShot(0, &Main(), [&] {
        closedDuring = Main().close();
        EXPECT_NE(Main().Engine, nullptr);
    });
    EXPECT_EQ(Calculate("sum(1,1,50,2)"), NumberText(cLongReal(100L)));
    EXPECT_FALSE(closedDuring);
    EXPECT_NE(Main().Engine, nullptr);
    EXPECT_TRUE(Main().isVisible());
    // The deferred close follows once the evaluation has returned.
    for (int i = 0; i < 100 && Main().isVisible(); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(Main().Engine, nullptr);
}

TEST_F(MainWindow, CloseDuringALibraryFileOperationWaitsForItsEnd) {
    int32_t second = 1;
    SetProgressClock([&] { return ++second; });
    Main().show();
    bool closedDuring = true;
    QTimer::singleShot(0, &Main(), [&] { closedDuring = Main().close(); });
    ProgressCallback(0, 3, 5, 1); // the engine reading a file pumps the messages
    EXPECT_FALSE(closedDuring);
    EXPECT_NE(Main().Engine, nullptr);
    ProgressCallback(0, 0, 0, 0);
    for (int i = 0; i < 100 && Main().isVisible(); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(Main().Engine, nullptr);
}

// The start-up probe of the timing script: the run ends by itself, the normal
// way, once the main window has been painted.
class StartupProbe : public ::testing::Test {
protected:
    cTestIni ini;
    cFakeDialogs dialogs;
    bool timedOut = false;

    // RunKorund with the probe set to mode; a guard ends a run that hangs.
    int Run(const char* mode, const QString& startFile = QString()) {
        qputenv("KORUND_EXIT_WHEN_SHOWN", mode);
        QTimer guard; // stopped with the test, whatever happens
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::quit();
        });
        guard.start(5000);
        const int code = RunKorund(QString(), startFile);
        qunsetenv("KORUND_EXIT_WHEN_SHOWN");
        return code;
    }
};

TEST_F(StartupProbe, ExitWhenShownEndsTheRunAfterTheFirstPaint) {
    EXPECT_EQ(Run("1"), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(cFormulaEngine::aUserFunctionArray, nullptr); // the engine was released
    EXPECT_FALSE(QFile::exists(ini.Path())) << "nothing is written";
}

TEST_F(StartupProbe, PreferencesModeSavesThePreferencesWhereTheWindowWould) {
    ini.Write("[Parser]\nMaxFunc=7\n");
    EXPECT_EQ(Run("preferences"), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(dialogs.messages.empty());
    const cKorundSettings saved = ReadKorundIni(ini.Path().toStdString());
    EXPECT_EQ(saved.MaxFunc, 7);
    EXPECT_EQ(saved.DigitsUse, 6) << "every key is written";
    QFile file(ini.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("DigitsUse=6"));
}

TEST_F(StartupProbe, StartFileIsOpenedOnceTheWindowIsShown) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.krc");
    EXPECT_EQ(Run("1", missing), 0);
    EXPECT_FALSE(timedOut);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Error: Cannot open the file \"" + missing))
        << dialogs.messages[0].text.toStdString();
}

} // namespace
