// SPDX-License-Identifier: GPL-3.0-or-later
// TFMain: the calculator window, the engine hooks and the program's start-up.
#pragma once

#include "Korund_windows.h"
#include "LibraryStreams.h"
#include "Result_line.h"
#include "Splash_unit.h"
#include "cFormulaEngine.h"
#include "cLongReal.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

class cFormulaRecall;
class QAction;
class QActionGroup;
class QCloseEvent;
class QGroupBox;
class QIODevice;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// An up/down arrow pair; Click(true) for the up arrow, Click(false) for down.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);
    QToolButton* BUp = nullptr;
    QToolButton* BDown = nullptr;
    void ClickUp();
    void ClickDown();
signals:
    void Click(bool up);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

class TFMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFMain(cKorundWindows& windows, QWidget* parent = nullptr);
    ~TFMain() override;

    // ---- controls
    QLineEdit* EFormel = nullptr;
    TResultLine* LErgebnis = nullptr;
    QGroupBox* StatusBox = nullptr;
    QPlainTextEdit* MState = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* EStoreVar = nullptr;
    TUpDown* BStoreVar = nullptr;
    QPushButton* BM = nullptr;
    QPushButton* BMplus = nullptr;
    QPushButton* BMminus = nullptr;
    QPushButton* BCalculate = nullptr;
    QPushButton* BClear = nullptr;

    // ---- menu
    QMenuBar* HauptMenue = nullptr;
    QMenu* File_Menue = nullptr;
    QAction* File_Open = nullptr;
    QAction* File_Save = nullptr;
    QMenu* Edit_Menue = nullptr;
    QAction* Edit_Constants = nullptr;
    QAction* Edit_Functions = nullptr;
    QAction* Edit_Preferences = nullptr;
    QMenu* Edit_Size = nullptr;
    QActionGroup* Edit_Size_Group = nullptr;
    QAction* Edit_Size_Tiny = nullptr;
    QAction* Edit_Size_Small = nullptr;
    QAction* Edit_Size_Normal = nullptr;
    QAction* N1 = nullptr;
    QAction* Edit_Calculate = nullptr;
    QAction* Edit_Clear = nullptr;
    QAction* Edit_CopyResult = nullptr;
    QMenu* Palettes_Menue = nullptr;
    QAction* Palettes_Variables = nullptr;
    QAction* Palettes_Constants = nullptr;
    QAction* Palettes_Functions_user = nullptr;
    QAction* Palettes_Functions_builtin = nullptr;
    QMenu* Plot_Menue = nullptr;
    QAction* Plot_Show = nullptr;
    QMenu* Help_Menue = nullptr;
    QAction* Help_Dokumentation = nullptr;
    QAction* Help_About = nullptr;

    // ---- fields
    cFormulaEngine* Engine = nullptr;
    cLongReal LastResult;
    std::unique_ptr<QIODevice> LibraryStream;
    int32_t LastProgressRefresh = 0;
    // Up and Down in the formula field; owned by the field.
    cFormulaRecall* History = nullptr;

    // True while an engine call of this window or of the progress pump runs;
    // a close request meanwhile is deferred until it ends.
    bool Busy() const;

public slots:
    void Edit_CalculateClick();
    void BMClick();
    void BMplusClick();
    void BMminusClick();
    void BStoreVarClick(bool up);
    void EStoreVarChange();
    void Edit_ClearClick();
    void Edit_Size_TinyClick();
    void Edit_Size_SmallClick();
    void Edit_Size_NormalClick();
    void Edit_CopyResultClick();
    void Edit_ConstantsClick();
    void Edit_FunctionsClick();
    void Edit_PreferencesClick();
    void Palettes_VariablesClick();
    void Palettes_ConstantsClick();
    void Palettes_Functions_userClick();
    void Palettes_Functions_builtinClick();
    void Plot_ShowClick(); // Plot_unit.cpp
    void Help_DokumentationClick();
    void Help_AboutClick();
    void File_OpenClick(); // Korund_main_files.cpp
    void File_SaveClick(); // Korund_main_files.cpp

public:
    // Loads a library file as File > Open does, with its messages: into the
    // constants or the functions (Korund_main_files.cpp).
    void LoadLibraryFile(const QString& fileName, bool constants);
    // The same for a file named on the command line, whose extension (.krc
    // or .krf, in any case) gives the kind; any other name is refused with a
    // message.
    void OpenStartFile(const QString& fileName);

signals:
    // The window was closed and the engine released: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class tSize { Tiny, Small, Normal };
    cKorundWindows& W;
    tSize aSize = tSize::Normal;
    bool aCalculating = false;
    bool aClosePending = false;
    bool aHistoryWarned = false;
    // The window's focus widget when a job locked it; disabling takes the
    // focus away, unlocking gives it back.
    QPointer<QWidget> aFocusBeforeLock;

    void FormClose(QCloseEvent* event);
    void RetryPendingClose();
    void RememberFormula(const QString& formula);
    void LockForJob();
    void UnlockAfterJob();
    void CreateControls();
    void CreateMenu();
    void StartEngine();
    void ShutDownEngine();
    void SetSize(tSize size);
    void ApplySize();
    void ShowPalettePage(int page);
    char StoreLetter() const;
    friend void ProgressCallback(uint16_t, uint8_t, uint32_t, uint32_t);
};

// ---- engine hooks
// The one main window of the run, while it lives: the hooks act on it.
extern TFMain* gMainForm;
void ProgressCallback(uint16_t level, uint8_t activity, uint32_t total, uint32_t done);
// LibraryRead and LibraryWrite (LibraryStreams.h) move the bytes of LibraryStream.
cLibraryStream& MainWindowStream();

// Calendar time in whole seconds, as the progress callback reads it. Tests
// install their own clock; an empty function restores the system clock.
void SetProgressClock(std::function<int32_t()> clock);

// ---- exceptions that escape a handler

// Shows the exception in an error box (through the dialog seam).
void ShowException(std::exception_ptr exception);

// Runs a handler and shows what it throws, so that no exception unwinds
// through the window framework's own code.
template <class F>
void RunGuarded(F&& handler) {
    try {
        handler();
    } catch (...) {
        ShowException(std::current_exception());
    }
}

// ---- start-up

// Last line of defence: an exception that escapes an event handler is shown
// in an error box instead of ending the program.
class TKorundApplication : public QApplication {
public:
    TKorundApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The program's windows for one run: the splash is shown while the eight
// windows are created in order, then destroyed. The modal windows are
// children of the main window; the palettes and progress windows stand alone,
// so that disabling the main window leaves them usable.
class cKorundProgram {
public:
    // trace, when given, receives "TFSplash" once the splash is on the screen
    // and each window's class name as it is created.
    // pictureDir empty: the pictures are looked for in PictureDirs().
    explicit cKorundProgram(const QString& pictureDir = QString(), std::function<void(const QString&)> trace = {});
    ~cKorundProgram();
    cKorundProgram(const cKorundProgram&) = delete;
    cKorundProgram& operator=(const cKorundProgram&) = delete;

    cKorundWindows W;

private:
    // Destroyed in reverse creation order, the main window last.
    std::unique_ptr<TFMain> aMain;
    std::unique_ptr<TFEdit> aEdit;
    std::unique_ptr<TFProgress> aProgress;
    std::unique_ptr<TFConfig> aConfig;
    std::unique_ptr<TFPalettes> aPalettes;
    std::unique_ptr<TFInfoText> aInfoText;
    std::unique_ptr<TFCredits> aCredits;
    std::unique_ptr<TFPlot> aPlot;
};

// Runs the program: start-up, message loop, shutdown. Returns the exit code;
// a start-up failure is shown in an error box and gives 1. A startFile is
// opened once the main window is shown (TFMain::OpenStartFile).
//
// Test seam: the environment variable KORUND_EXIT_WHEN_SHOWN ends the run
// after the main window's first paint: with "1" at once, with "preferences"
// after loading and saving the preferences as their OK button does. Messages
// then go to standard error instead of message boxes (unless a test has
// installed its own dialogs), and an error message makes the exit code 1.
int RunKorund(const QString& pictureDir = QString(), const QString& startFile = QString());

// The command line of the desktop program, after the window system's own
// options have been taken out: [FILE.krc|FILE.krf], --help, --version.
struct tKorundArguments {
    QString startFile;
    bool help = false;
    bool version = false;
    QString error; // a usage error, for standard error
};
// optionsOnly: look only for --help and --version, ignoring everything else
// (the window system's options are still in the list then).
tKorundArguments ParseKorundArguments(const QStringList& arguments, bool optionsOnly = false);
extern const char* const kKorundUsage;
