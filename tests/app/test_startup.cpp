// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown: the settings file as the engine-state memo shows it,
// the order of the windows, missing pictures, the file hooks and exceptions
// that escape an event handler.
#include "AppTestSupport.h"

#include "Config_unit.h"
#include "Credits_unit.h"
#include "EngineStart.h"
#include "Info_window_unit.h"
#include "Lib_editor.h"
#include "Palettes_unit.h"
#include "Progress_unit.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QPlainTextEdit>

#include <stdexcept>

namespace {

class Startup : public cProgramTest {
protected:
    void SetUp() override {} // each test writes its Korund.ini first
    QStringList MemoLines() { return Main().MState->toPlainText().split('\n'); }
};

const QStringList kDefaultLines{
    "native calc digits > 6 (= 12 bytes / 29 decimal digits)",
    "native output digits > 4 (= 8 bytes / 20 decimal digits)",
    "internal zero epsilon > 2 (= 2.3283064365387E-10 dec)",
    "render exp as zeros > -5 to 5",
    "base > input default: 10; output: 10",
    "flags > deg; eng off",
    "memory > constants: 100; functions: 30; ref alloc: 10",
};

TEST_F(Startup, WithoutSettingsFileTheMemoShowsTheDefaults) {
    Start();
    EXPECT_EQ(MemoLines(), kDefaultLines);
    EXPECT_EQ(cLongReal::aPrecision, 6);
    EXPECT_EQ(cFormulaEngine::aConstantMax, 100u);
    EXPECT_EQ(cFormulaEngine::aUserFunctionMax, 30u);
}

TEST_F(Startup, SettingsReachTheMemoLineByLine) {
    struct tRow {
        const char* ini;
        int line; // 1-based
        const char* text;
    } rows[] = {
        {"[Calculation]\nEngMode=5\n", 6, "flags > deg; eng off"},
        {"[Calculation]\nEngMode=1\n", 6, "flags > deg; eng decimal"},
        {"[Calculation]\nEngMode=2\nAngleMode=2\n", 6, "flags > gra; eng binary"},
        {"[Calculation]\nAngleMode=7\n", 6, "flags > rad; eng off"},
        {"[Calculation]\nDigitsUse=2\nDigitsDrop=4\n", 2, "native output digits > -2 (= -4 bytes / -9 decimal digits)"},
        {"[Calculation]\nNativeEps=0\n", 3, "internal zero epsilon > 0 (= 1 dec)"},
        {"[Calculation]\nMinExp=3\nMaxExp=7\n", 4, "render exp as zeros > -3 to 7"},
        {"[Calculation]\nInputSys=16\nOutputSys=2\n", 5, "base > input default: 16; output: 2"},
        {"[Parser]\nMaxFunc=0\n", 7, "memory > constants: 100; functions: 0; ref alloc: 10"},
        {"[Calculation]\nDigitsUse=abc\n", 1, "native calc digits > 6 (= 12 bytes / 29 decimal digits)"},
    };
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.ini);
        ini.Write(row.ini);
        Start();
        const QStringList lines = MemoLines();
        ASSERT_EQ(lines.size(), 7);
        EXPECT_EQ(lines[row.line - 1], row.text);
        program.reset();
    }
}

TEST_F(Startup, RefusedSettingsFileIsShownAndTheDefaultsApply) {
    ASSERT_TRUE(QDir().mkpath(ini.Path()));
    Start();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
    EXPECT_EQ(dialogs.messages[0].text, "Error: The settings file \"" + ini.Path() +
                                            "\" cannot be used: it is a directory, not a file. "
                                            "Korund starts with the default settings.");
    EXPECT_EQ(MemoLines(), kDefaultLines);
}

TEST_F(Startup, HandEditedCapacitiesAreClampedWithAWarning) {
    ini.Write("[Parser]\nMaxConst=10000000\nMaxFunc=100000\nRefAlloc=-3\n");
    Start();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.contains(ini.Path()));
    EXPECT_TRUE(dialogs.messages[0].text.contains("MaxConst=10000000 is above the maximum of 100000; 100000 is used\n"
                                                  "RefAlloc=-3 is below 0; 0 is used"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(MemoLines()[6], "memory > constants: 100000; functions: 100000; ref alloc: 0");
}

TEST_F(Startup, NegativeCapacityIsNamedAndTheProgramStarts) {
    ini.Write("[Parser]\nMaxConst=-1\n"); // read as 4294967295 before it was brought into range
    Start();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("MaxConst=-1 is below 0; 0 is used"))
        << dialogs.messages[0].text.toStdString();
    ASSERT_NE(Main().Engine, nullptr);
    EXPECT_EQ(cFormulaEngine::aConstantMax, 0u);
}

TEST(EngineStart, CapacitiesThatCannotBeAllocatedFallBackToTheirDefaults) {
    cKorundSettings settings;
    settings.MaxConst = 100000;
    settings.MaxFunc = 30; // the default: not named
    settings.RefAlloc = 500;
    settings.DigitsUse = 20; // not a capacity: kept
    std::vector<uint32_t> tried;
    const auto init = [&] {
        tried.push_back(cFormulaEngine::aConstantMax);
        if (cFormulaEngine::aConstantMax > 1000)
            throw std::bad_alloc();
    };
    EXPECT_EQ(InitWithDefaultCapacitiesOnFailure(settings, init),
              (std::vector<std::string>{"MaxConst=100000", "RefAlloc=500"}));
    EXPECT_EQ(tried, (std::vector<uint32_t>{100000, 100}));
    EXPECT_EQ(settings.MaxConst, 100);
    EXPECT_EQ(settings.RefAlloc, 10);
    EXPECT_EQ(settings.DigitsUse, 20);
    EXPECT_EQ(cFormulaEngine::aConstRefAlloc, 10);

    tried.clear();
    EXPECT_TRUE(InitWithDefaultCapacitiesOnFailure(settings, init).empty()); // fits at once
    EXPECT_EQ(tried.size(), 1u);
    // Out of memory with the defaults too: nothing left to try.
    EXPECT_THROW(InitWithDefaultCapacitiesOnFailure(settings, [] { throw std::bad_alloc(); }), std::bad_alloc);
    ApplySettings(cKorundSettings{});
}

TEST_F(Startup, NoRoomForUserFunctionsWithMaxFuncZero) {
    ini.Write("[Parser]\nMaxFunc=0\n");
    Start();
    EXPECT_EQ(cFormulaEngine::aUserFunctionMax, 0u);
    cFormulaEngine::StartFunctionEdit();
    EXPECT_FALSE(cFormulaEngine::AddFunction("f(x)=x", ""));
    cFormulaEngine::CancelFunctionEdit();
}

TEST_F(Startup, CreatesTheWindowsInOrderWhileTheSplashIsShown) {
    QStringList steps;
    bool splashShownThroughout = true;
    program = std::make_unique<cKorundProgram>(ProgramDir(), [&](const QString& step) {
        steps << step;
        bool splashVisible = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            splashVisible |= w->inherits("TFSplash") && w->isVisible();
        splashShownThroughout &= splashVisible;
    });
    EXPECT_EQ(steps, QStringList({"TFSplash", "TFMain", "TFEdit", "TFProgress", "TFConfig", "TFPalettes", "TFInfoText",
                                  "TFCredits", "TFPlot"}));
    EXPECT_TRUE(splashShownThroughout);
    const cKorundWindows& W = program->W;
    for (QWidget* w : std::initializer_list<QWidget*>{W.Main, W.Edit, W.Progress, W.Config, W.Palettes, W.InfoText,
                                                      W.Credits, W.Plot}) {
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(w->isVisible());
    }
    // The splash is gone once the windows exist.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->inherits("TFSplash"));
    EXPECT_EQ(QCoreApplication::applicationName(), "Korund");
}

TEST_F(Startup, ClosingAndStartingAgainWorks) {
    for (int run = 0; run < 3; ++run) {
        Start();
        Main().show();
        ASSERT_TRUE(Main().close());
        EXPECT_EQ(Main().Engine, nullptr);
        program.reset();
    }
}

// A directory holding only the given pictures of the build.
class cPictureDir {
public:
    explicit cPictureDir(const QStringList& pictures) {
        for (const QString& p : pictures)
            QFile::copy(ProgramDir() + p, Path() + p);
    }
    QString Path() const { return aDir.path() + '/'; }

private:
    QTemporaryDir aDir;
};

TEST_F(Startup, MissingPictureStopsStartUpAfterTheSplash) {
    struct tRow {
        QStringList present;
        const char* missing;
        const char* lastStep;
    } rows[] = {
        {{}, "krsplash.dat", nullptr},
        {{"krsplash.dat"}, "krlogo.dat", "TFInfoText"},
    };
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.missing);
        cPictureDir dir(row.present);
        QStringList steps;
        EXPECT_THROW(cKorundProgram(dir.Path(), [&](const QString& step) { steps << step; }), std::runtime_error);
        EXPECT_EQ(steps.isEmpty() ? QString() : steps.last(), QString(row.lastStep));

        // The whole run: an error box naming the file, exit code 1, no window left.
        dialogs.messages.clear();
        EXPECT_EQ(RunKorund(dir.Path()), 1);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
        EXPECT_TRUE(dialogs.messages[0].text.contains(row.missing));
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible());
    }
    // The engine was released on the way out: a normal start works.
    Start();
    EXPECT_NE(Main().Engine, nullptr);
}

TEST_F(Startup, FileHooksMoveBytesThroughTheLibraryStream) {
    Start();
    char buffer[8] = {};
    EXPECT_EQ(LibraryRead(buffer, sizeof buffer), 0); // no stream, no transfer
    EXPECT_EQ(LibraryWrite("abc", 3), 0);

    auto stream = std::make_unique<QBuffer>();
    stream->open(QIODevice::ReadWrite);
    QBuffer* raw = stream.get();
    Main().LibraryStream = std::move(stream);
    EXPECT_EQ(LibraryWrite("hello", 5), 5);
    raw->seek(0);
    EXPECT_EQ(LibraryRead(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "hel");
    EXPECT_EQ(LibraryRead(buffer, 8), 2); // short count at the end
    EXPECT_EQ(LibraryRead(buffer, 8), 0);
    Main().LibraryStream.reset();

    EXPECT_EQ(cFormulaEngine::FileRead, &LibraryRead);
    EXPECT_EQ(cFormulaEngine::FileWrite, &LibraryWrite);
    EXPECT_EQ(cFormulaEngine::ProgressIndicator, &ProgressCallback);
}

class cThrowing : public QObject {
public:
    bool std = true;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (std)
            throw std::runtime_error("handler failed");
        throw 7;
    }
};

TEST_F(Startup, AnExceptionFromAHandlerIsShownAndTheProgramGoesOn) {
    cThrowing target;
    QEvent event(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &event));
    target.std = false;
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &event));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
    EXPECT_EQ(dialogs.messages[0].text, "handler failed");
    EXPECT_FALSE(dialogs.messages[1].text.isEmpty());
}

TEST_F(Startup, AnExceptionFromAMenuHandlerIsShown) {
    Start();
    dialogs.onModal = [](QDialog*) { throw std::runtime_error("window failed"); };
    Main().Help_About->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
    EXPECT_EQ(dialogs.messages[0].text, "window failed");
    dialogs.onModal = {};
    Main().Help_About->trigger(); // the menu still works
    EXPECT_EQ(dialogs.modalShown.size(), 2u);
}

// The window icon comes from the program's resources, at every size installed.
TEST(Application, WindowIconHoldsEveryIconSize) {
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_FALSE(QApplication::windowIcon().pixmap(48, 48).isNull());
    EXPECT_EQ(QApplication::applicationVersion(), KorundVersion());
}

} // namespace
