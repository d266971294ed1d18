// SPDX-License-Identifier: GPL-3.0-or-later
// Typing into the main window on a real X server with a window manager:
// the keys come from the X server (xdotool), so they reach whatever window
// the window manager has given the keyboard. Run by run-under-openbox.sh.
#include "AppTestSupport.h"

#include "Palettes_unit.h"
#include "Progress_unit.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTest>

namespace {

class KeyboardUnderAWindowManager : public cProgramTest {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under run-under-openbox.sh";
        cProgramTest::SetUp();
        Main().show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    }
    static void Xdotool(const QStringList& arguments) {
        ASSERT_EQ(QProcess::execute("xdotool", arguments), 0) << arguments.join(' ').toStdString();
    }
    // Waits up to 10 seconds for the condition, handling events meanwhile.
    template <class F>
    static bool WaitFor(F condition) {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < 10000)
            QTest::qWait(20);
        return condition();
    }
    // Types formula, presses Enter, waits for the result, then types "7":
    // the formula field has it, the user sees no window in the way.
    void CalculateAndTypeOn(const QString& formula, const QString& result) {
        Xdotool({"type", "--delay", "20", formula});
        Xdotool({"key", "Return"});
        EXPECT_TRUE(WaitFor([&] { return Main().LErgebnis->FullText() == result; }))
            << Main().LErgebnis->FullText().toStdString();
        EXPECT_TRUE(WaitFor([&] { return !program->W.Progress->isVisible(); }));
        QTest::qWait(100); // the window manager's focus changes settle, as a user would type
        Xdotool({"type", "7"});
        EXPECT_TRUE(WaitFor([&] { return Main().EFormel->text() == formula + "7"; }))
            << Main().EFormel->text().toStdString();
        QObject* focus = QGuiApplication::focusObject();
        EXPECT_EQ(focus, Main().EFormel) << (focus ? focus->metaObject()->className() : "nothing")
                                         << " has the keyboard";
    }
};

TEST_F(KeyboardUnderAWindowManager, TypingGoesOnAfterAQuickCalculation) {
    // The placeholder is selected: the first key replaces it.
    CalculateAndTypeOn("1+1", "2");
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        Xdotool({"key", "ctrl+a", "BackSpace"});
        CalculateAndTypeOn("2*3", "6");
    }
}

TEST_F(KeyboardUnderAWindowManager, TypingGoesOnAfterTheProgressWindowHides) {
    // A new calendar second every 20,000 reports: the progress window is
    // drawn and the messages are handled while the sum runs.
    int32_t reports = 0;
    SetProgressClock([&] { return ++reports / 20000; });
    CalculateAndTypeOn("sum(1,1,100000,i)", "5.00005E9");
}

TEST_F(KeyboardUnderAWindowManager, PalettesShortcutBringsThePalettesOverTheMainWindow) {
    TFPalettes& palettes = *program->W.Palettes;
    Xdotool({"key", "ctrl+alt+c"});
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &palettes; }));
    // The main window comes to the front, as when a window over it closes.
    Main().raise();
    Main().activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &Main(); }));
    Xdotool({"key", "ctrl+alt+v"});
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &palettes; }));
    EXPECT_EQ(palettes.PageControl->currentIndex(), 0);
}

} // namespace
