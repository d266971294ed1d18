// SPDX-License-Identifier: GPL-3.0-or-later
// Program start-up and the command line: the application object, the
// windows of the run, the engine started from the settings file, and the
// handling of exceptions that escape a handler.
#include "Korund_main_unit.h"

#include "Config_unit.h"
#include "Credits_unit.h"
#include "EngineStart.h"
#include "Info_window_unit.h"
#include "KorundSettings.h"
#include "Korund_dialogs.h"
#include "Lib_editor.h"
#include "Palettes_unit.h"
#include "Plot_unit.h"
#include "Progress_unit.h"

#include <QIcon>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

void TFMain::StartEngine() {
    cFormulaEngine::ProgressIndicator = ProgressCallback;
    InstallLibraryHooks(&MainWindowStream());
    cStartSettings start = ReadStartSettings(KorundIniPath());
    const std::string& iniPath = start.aIniPath;
    const std::string& refusal = start.aRefusal;
    cKorundSettings& settings = start.aSettings;
    if (!refusal.empty())
        Dialogs().Message(this, tMsgType::Error,
                          QString("Error: The settings file \"%1\" cannot be used: %2. Korund starts "
                                  "with the default settings.")
                              .arg(QString::fromStdString(iniPath), QString::fromStdString(refusal)),
                          tMsgButtons::Ok);
    QStringList notes;
    for (const cIniReport& report : start.aCapacities)
        notes << QString::fromStdString(IniReportLine(report));
    if (!notes.isEmpty())
        Dialogs().Message(this, tMsgType::Warning,
                          QString("Warning: The settings file \"%1\" holds capacities out of "
                                  "range:\n%2")
                              .arg(QString::fromStdString(iniPath), notes.join('\n')),
                          tMsgButtons::Ok);
    try {
        const std::vector<std::string> reset =
            InitWithDefaultCapacitiesOnFailure(settings, [] { cFormulaEngine::Init(); });
        if (!reset.empty())
            Dialogs().Message(this, tMsgType::Error,
                              QString("Error: There is not enough memory for %1 of the settings file "
                                      "\"%2\". Korund starts with the default for %3.")
                                  .arg(QString::fromStdString(JoinedKeys(reset)), QString::fromStdString(iniPath),
                                       reset.size() == 1 ? "it" : "them"),
                              tMsgButtons::Ok);
        Engine = FE_BuildInstance();
        MState->clear();
        for (const std::string& line : EngineStateLines())
            MState->appendPlainText(QString::fromStdString(line));
        MState->moveCursor(QTextCursor::Start);
    } catch (...) {
        if (Engine)
            FE_ClearInstance(Engine);
        cFormulaEngine::FreeStatics();
        throw;
    }
}

void TFMain::ShutDownEngine() {
    if (!Engine)
        return;
    FE_ClearInstance(Engine);
    Engine = nullptr;
    cFormulaEngine::FreeStatics();
}

// ---- exceptions

void ShowException(std::exception_ptr exception) {
    static bool showing = false; // an error box that fails itself is not shown again
    if (showing)
        return;
    QString message = "An unexpected error occurred.";
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
    }
    showing = true;
    try {
        Dialogs().Message(nullptr, tMsgType::Error, message);
    } catch (...) {
    }
    showing = false;
}

// ---- start-up

TKorundApplication::TKorundApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Korund");
    setApplicationVersion(KorundVersion());
    setDesktopFileName("org.example.korund");
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/korund/korund-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    // The windows are laid out in pixels, so their text is sized in pixels too.
    QFont text = font();
    text.setPixelSize(11);
    setFont(text);
    // Group boxes with their caption on the frame line, so that controls placed
    // 16 pixels below a box's top edge sit inside the frame.
    setStyleSheet("QGroupBox { border: 1px solid palette(mid); border-radius: 3px;"
                  " margin-top: 6px; }"
                  "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                  " left: 6px; padding: 0px 2px; }");
}

bool TKorundApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
    }
    return false;
}

cKorundProgram::cKorundProgram(const QString& pictureDir, std::function<void(const QString&)> trace) {
    auto note = [&trace](const char* step) {
        if (trace)
            trace(step);
    };
    auto splash = std::make_unique<TFSplash>(pictureDir);
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();
    note("TFSplash");

    QCoreApplication::setApplicationName("Korund");

    aMain = std::make_unique<TFMain>(W);
    W.Main = aMain.get();
    note("TFMain");
    aEdit = std::make_unique<TFEdit>(W, aMain.get());
    W.Edit = aEdit.get();
    note("TFEdit");
    aProgress = std::make_unique<TFProgress>(W);
    W.Progress = aProgress.get();
    note("TFProgress");
    aConfig = std::make_unique<TFConfig>(W, aMain.get());
    W.Config = aConfig.get();
    note("TFConfig");
    aPalettes = std::make_unique<TFPalettes>(W);
    W.Palettes = aPalettes.get();
    note("TFPalettes");
    aInfoText = std::make_unique<TFInfoText>(W, aMain.get());
    W.InfoText = aInfoText.get();
    note("TFInfoText");
    aCredits = std::make_unique<TFCredits>(W, aMain.get(), pictureDir);
    W.Credits = aCredits.get();
    note("TFCredits");
    aPlot = std::make_unique<TFPlot>(W);
    W.Plot = aPlot.get();
    note("TFPlot");

    splash->hide();
}

cKorundProgram::~cKorundProgram() = default;

namespace {

// Start-up probe for timing the program (bench/startup.sh) and for testing
// an installed program: the main window is closed right after its first
// paint, which ends the run the normal way (engine instance and tables
// released). With "preferences", the preferences are loaded and saved first.
class cExitWhenShown : public QObject {
public:
    enum class tMode { Off, Exit, Preferences };
    static tMode Wanted() {
        const QByteArray value = qgetenv("KORUND_EXIT_WHEN_SHOWN");
        if (value == "1")
            return tMode::Exit;
        if (value == "preferences")
            return tMode::Preferences;
        return tMode::Off;
    }
    explicit cExitWhenShown(std::function<void()> beforeClose) : aBeforeClose(std::move(beforeClose)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, static_cast<QWidget*>(watched), [this, watched] {
                RunGuarded(aBeforeClose);
                static_cast<QWidget*>(watched)->close();
            });
        }
        return false;
    }

private:
    std::function<void()> aBeforeClose;
};

// The probe's dialogs: messages go to standard error, nothing waits for the user.
class cStderrDialogs : public cDialogs {
public:
    cStderrDialogs() : aPrevious(InstalledDialogs()) { SetDialogs(this); }
    ~cStderrDialogs() override { SetDialogs(aPrevious); }
    cStderrDialogs(const cStderrDialogs&) = delete;
    cStderrDialogs& operator=(const cStderrDialogs&) = delete;

    int errors = 0;

    tMsgResult Message(QWidget*, tMsgType type, const QString& text, tMsgButtons) override {
        if (type == tMsgType::Error)
            ++errors;
        std::fprintf(stderr, "Korund: %s\n", text.toLocal8Bit().constData());
        return tMsgResult::Ok;
    }
    tFileChoice OpenFile(QWidget*, const QString&, const QString&, int) override { return {}; }
    tFileChoice SaveFile(QWidget*, const QString&, const QString&, int) override { return {}; }
    void ShowModal(QDialog*) override {}

private:
    cDialogs* aPrevious;
};

} // namespace

int RunKorund(const QString& pictureDir, const QString& startFile) {
    const cExitWhenShown::tMode mode = cExitWhenShown::Wanted();
    std::optional<cStderrDialogs> quiet;
    if (mode != cExitWhenShown::tMode::Off && !InstalledDialogs())
        quiet.emplace();
    try {
        cKorundProgram program(pictureDir);
        QApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(program.W.Main, &TFMain::Closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        cExitWhenShown probe([&program, mode] {
            if (mode != cExitWhenShown::tMode::Preferences)
                return;
            program.W.Config->FormShow();
            program.W.Config->BOkClick();
        });
        if (mode != cExitWhenShown::tMode::Off)
            program.W.Main->installEventFilter(&probe);
        program.W.Main->show();
        if (!startFile.isEmpty()) {
            TFMain* main = program.W.Main;
            QTimer::singleShot(
                0, main, [main, startFile] { RunGuarded([main, &startFile] { main->OpenStartFile(startFile); }); });
        }
        QApplication::exec();
        return quiet && quiet->errors > 0 ? 1 : 0;
    } catch (...) {
        ShowException(std::current_exception());
    }
    return 1;
}

const char* const kKorundUsage = "Usage: Korund [FILE.krc | FILE.krf]\n"
                                 "High-precision algebraic calculator. A library file given is loaded at\n"
                                 "start as File > Open would: .krc into the constants, .krf into the functions.\n"
                                 "\n"
                                 "  -h, --help     show this help and exit\n"
                                 "  -v, --version  show the version and exit\n";

tKorundArguments ParseKorundArguments(const QStringList& arguments, bool optionsOnly) {
    tKorundArguments result;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size() && result.error.isEmpty(); ++i) {
        const QString& arg = arguments[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            result.help = true;
        } else if (!optionsEnded && (arg == "-v" || arg == "--version")) {
            result.version = true;
        } else if (optionsOnly) {
            continue;
        } else if (!optionsEnded && arg.startsWith('-') && arg != "-") {
            result.error = QString("unknown option '%1'").arg(arg);
        } else if (arg.isEmpty()) {
            result.error = "an empty file name was given";
        } else if (!result.startFile.isEmpty()) {
            result.error = QString("only one library file can be opened, not also '%1'").arg(arg);
        } else {
            result.startFile = arg;
        }
    }
    return result;
}
