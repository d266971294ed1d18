// SPDX-License-Identifier: GPL-3.0-or-later
#include "Korund_main_unit.h"

#include "Calculation.h"
#include "Config_unit.h"
#include "Credits_unit.h"
#include "EngineStart.h"
#include "Formula_fault.h"
#include "Formula_recall.h"
#include "Info_window_unit.h"
#include "Korund_dialogs.h"
#include "KorundSettings.h"
#include "Lib_editor.h"
#include "Palettes_unit.h"
#include "Plot_unit.h"
#include "Progress_unit.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIODevice>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace {

// The one main window of the run: the hooks act on it.
TFMain* gMainForm = nullptr;

// Depth of the progress callback's message pumps; while it is above 0 an
// engine call is running further down the stack.
int gPumpDepth = 0;

std::function<int32_t()> gClock;


int32_t CalendarSeconds() {
    return gClock ? gClock() : static_cast<int32_t>(std::time(nullptr));
}

// Lets the window system process its pending messages from inside an engine call.
std::chrono::steady_clock::time_point gLastPump;

void PumpMessages() {
    struct tPump {
        tPump() { ++gPumpDepth; }
        ~tPump() { --gPumpDepth; }
    } pump;
    QCoreApplication::processEvents();
    gLastPump = std::chrono::steady_clock::now();
}

// While an evaluation can be cancelled, messages are also processed between
// the once-per-second repaints, about every 100 ms, so that a click on Cancel
// is seen soon. The clock is read only every 64th report.
constexpr uint32_t kCancelPollReports = 64;
constexpr auto kCancelPollInterval = std::chrono::milliseconds(100);
uint32_t gReportsSincePoll = 0;

bool CancelPollDue() {
    if (++gReportsSincePoll < kCancelPollReports) return false;
    gReportsSincePoll = 0;
    return std::chrono::steady_clock::now() - gLastPump >= kCancelPollInterval;
}

// Only evaluating reports end a job, and only an evaluation's; an engine
// call made by a handler inside a message pump is not the job being cancelled.
void ThrowIfCancelled(const TFProgress& progress, uint8_t activity) {
    if (activity == faCalculating && progress.Cancellable() && progress.CancelRequested &&
        gPumpDepth == 0)
        throw cCancelled("calculation cancelled");
}

const char* const kDocumentationText =
    "Note: This feature is not implemented yet. It will be aviable in the final release of "
    "version 1.0 when beta testing is finished.";

// Outer window sizes of the design and formula-field widths of the three
// sizes. The client area is the outer size less a frame of 8 x 46 pixels
// (border, title bar and menu bar), whatever frame the window manager draws.
struct tSizeRow {
    int width, height, formelWidth;
};
constexpr tSizeRow kTiny{190, 110, 169};
constexpr tSizeRow kSmall{190, 237, 169};
constexpr tSizeRow kNormal{502, 237, 481};
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 46;

} // namespace

// ---- TUpDown

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    auto arrow = [this](Qt::ArrowType type) {
        auto* b = new QToolButton(this);
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(7, 7));
        return b;
    };
    BUp = arrow(Qt::UpArrow);
    BDown = arrow(Qt::DownArrow);
    connect(BUp, &QToolButton::clicked, this, &TUpDown::ClickUp);
    connect(BDown, &QToolButton::clicked, this, &TUpDown::ClickDown);
}

void TUpDown::ClickUp() {
    emit Click(true);
}

void TUpDown::ClickDown() {
    emit Click(false);
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int upper = height() / 2;
    BUp->setGeometry(0, 0, width(), upper);
    BDown->setGeometry(0, upper, width(), height() - upper);
}

// ---- TFMain construction and shutdown

TFMain::TFMain(cKorundWindows& windows, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      W(windows) {
    setWindowTitle("Korund");
    CreateControls();
    CreateMenu();
    ApplySize();
    move(112, 180);
    StartEngine();
    gMainForm = this;
}

TFMain::~TFMain() {
    ShutDownEngine();
    if (gMainForm == this) gMainForm = nullptr;
}

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
                                  .arg(QString::fromStdString(JoinedKeys(reset)),
                                       QString::fromStdString(iniPath),
                                       reset.size() == 1 ? "it" : "them"),
                              tMsgButtons::Ok);
        Engine = FE_BuildInstance();
        MState->clear();
        for (const std::string& line : EngineStateLines())
            MState->appendPlainText(QString::fromStdString(line));
        MState->moveCursor(QTextCursor::Start);
    } catch (...) {
        if (Engine) FE_ClearInstance(Engine);
        cFormulaEngine::FreeStatics();
        throw;
    }
}

void TFMain::ShutDownEngine() {
    if (!Engine) return;
    FE_ClearInstance(Engine);
    Engine = nullptr;
    cFormulaEngine::FreeStatics();
}

bool TFMain::Busy() const {
    return aCalculating || gPumpDepth > 0;
}

void TFMain::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TFMain::RetryPendingClose() {
    // Queued: by the time it runs, the engine call that reported has returned.
    if (aClosePending)
        QTimer::singleShot(0, this, [this] {
            if (aClosePending && !Busy()) close();
        });
}

void TFMain::FormClose(QCloseEvent* event) {
    if (Busy()) {
        // The engine is working below us: close once it has returned.
        aClosePending = true;
        event->ignore();
        return;
    }
    aClosePending = false;
    ShutDownEngine();
    event->accept();
    emit Closed();
}

void TFMain::LockForJob() {
    aFocusBeforeLock = focusWidget();
    setEnabled(false);
}

void TFMain::UnlockAfterJob() {
    setEnabled(true);
    QWidget* focus = aFocusBeforeLock ? aFocusBeforeLock.data() : EFormel;
    aFocusBeforeLock = nullptr;
    if (focus->isVisible() && focus->isEnabled()) focus->setFocus(Qt::OtherFocusReason);
}

// ---- controls and menu

void TFMain::CreateControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    EFormel = new QLineEdit("<formula>", client);
    EFormel->setGeometry(8, 8, 481, 21);
    EFormel->selectAll(); // the first keystroke replaces the placeholder
    connect(EFormel, &QLineEdit::returnPressed, this,
            [this] { RunGuarded([this] { Edit_CalculateClick(); }); });

    LErgebnis = new TResultLine("<result>", client);
    LErgebnis->setGeometry(8, 40, 481, 18);
    QFont bold = LErgebnis->font();
    bold.setBold(true);
    LErgebnis->setFont(bold);
    QPalette blue = LErgebnis->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    LErgebnis->setPalette(blue);

    StatusBox = new QGroupBox("Engine state", client);
    StatusBox->setGeometry(184, 64, 305, 121);
    MState = new QPlainTextEdit("<engine state>", StatusBox);
    MState->setGeometry(8, 16, 289, 97);
    MState->setReadOnly(true);
    MState->setFrameShape(QFrame::NoFrame);
    MState->setLineWrapMode(QPlainTextEdit::NoWrap);
    MState->setFocusPolicy(Qt::ClickFocus);
    QPalette silver = MState->palette();
    silver.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    MState->setPalette(silver);
    // Seven lines of up to about 55 characters fit without scrolling.
    QFont condensed("DejaVu Sans Condensed");
    condensed.setStyleHint(QFont::SansSerif);
    condensed.setPixelSize(10);
    MState->setFont(condensed);

    GroupBox1 = new QGroupBox("Keyboard", client);
    GroupBox1->setGeometry(8, 64, 169, 121);
    EStoreVar = new QLineEdit("a", GroupBox1);
    EStoreVar->setGeometry(8, 16, 17, 21);
    EStoreVar->setMaxLength(1);
    EStoreVar->setAlignment(Qt::AlignCenter);
    EStoreVar->setTextMargins(0, 0, 0, 0);
    connect(EStoreVar, &QLineEdit::textChanged, this,
            [this] { RunGuarded([this] { EStoreVarChange(); }); });
    BStoreVar = new TUpDown(GroupBox1);
    BStoreVar->setGeometry(24, 16, 16, 25);
    connect(BStoreVar, &TUpDown::Click, this,
            [this](bool up) { RunGuarded([this, up] { BStoreVarClick(up); }); });

    auto button = [this](const QString& caption, QRect geometry, void (TFMain::*handler)()) {
        auto* b = new QPushButton(caption, GroupBox1);
        b->setGeometry(geometry);
        connect(b, &QPushButton::clicked, this,
                [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
        return b;
    };
    BM = button("[M]", {48, 16, 33, 25}, &TFMain::BMClick);
    BMplus = button("[M+]", {88, 16, 33, 25}, &TFMain::BMplusClick);
    BMminus = button("[M-]", {128, 16, 33, 25}, &TFMain::BMminusClick);
    BCalculate = button("Calculate", {8, 88, 73, 25}, &TFMain::Edit_CalculateClick);
    BClear = button("Clear", {88, 88, 75, 25}, &TFMain::Edit_ClearClick);

    // Tab order: the formula first, then the result.
    setTabOrder(EFormel, LErgebnis);
    setTabOrder(LErgebnis, EStoreVar);
    setTabOrder(EStoreVar, BM);
    setTabOrder(BM, BMplus);
    setTabOrder(BMplus, BMminus);
    setTabOrder(BMminus, BCalculate);
    setTabOrder(BCalculate, BClear);
    EFormel->setFocus();

    History = new cFormulaRecall(EFormel, FormulaHistoryPath());

    // Del and Ins are menu shortcuts even while an edit field has the focus.
    EFormel->installEventFilter(this);
    EStoreVar->installEventFilter(this);
}

void TFMain::CreateMenu() {
    HauptMenue = menuBar();
    HauptMenue->setObjectName("HauptMenue");
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = HauptMenue->addMenu(caption);
        m->setObjectName(name);
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption, QKeySequence key,
                       void (TFMain::*handler)()) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // shortcuts act anywhere in the window
        connect(a, &QAction::triggered, this,
                [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
        return a;
    };

    File_Menue = menu("File_Menue", "File");
    File_Open = item(File_Menue, "File_Open", "Open", QKeySequence("Ctrl+O"), &TFMain::File_OpenClick);
    File_Save = item(File_Menue, "File_Save", "Save", QKeySequence("Ctrl+S"), &TFMain::File_SaveClick);

    Edit_Menue = menu("Edit_Menue", "Edit");
    Edit_Constants = item(Edit_Menue, "Edit_Constants", "Constants", {}, &TFMain::Edit_ConstantsClick);
    Edit_Functions = item(Edit_Menue, "Edit_Functions", "Functions", {}, &TFMain::Edit_FunctionsClick);
    Edit_Preferences =
        item(Edit_Menue, "Edit_Preferences", "Preferences", {}, &TFMain::Edit_PreferencesClick);
    Edit_Size = Edit_Menue->addMenu("Size");
    Edit_Size->setObjectName("Edit_Size");
    Edit_Size_Group = new QActionGroup(this);
    Edit_Size_Group->setExclusive(true);
    Edit_Size_Tiny = item(Edit_Size, "Edit_Size_Tiny", "tiny", {}, &TFMain::Edit_Size_TinyClick);
    Edit_Size_Small = item(Edit_Size, "Edit_Size_Small", "small", {}, &TFMain::Edit_Size_SmallClick);
    Edit_Size_Normal =
        item(Edit_Size, "Edit_Size_Normal", "normal", {}, &TFMain::Edit_Size_NormalClick);
    for (QAction* a : {Edit_Size_Tiny, Edit_Size_Small, Edit_Size_Normal}) {
        a->setCheckable(true);
        Edit_Size_Group->addAction(a);
    }
    Edit_Size_Normal->setChecked(true);
    N1 = Edit_Menue->addSeparator();
    N1->setObjectName("N1");
    Edit_Calculate = item(Edit_Menue, "Edit_Calculate", "Calculate", QKeySequence(Qt::Key_F2),
                          &TFMain::Edit_CalculateClick);
    Edit_Clear = item(Edit_Menue, "Edit_Clear", "Clear", QKeySequence(Qt::Key_Delete),
                      &TFMain::Edit_ClearClick);
    Edit_CopyResult = item(Edit_Menue, "Edit_CopyResult", "Copy result",
                           QKeySequence(Qt::Key_Insert), &TFMain::Edit_CopyResultClick);

    Palettes_Menue = menu("Palettes_Menue", "Palettes");
    Palettes_Variables = item(Palettes_Menue, "Palettes_Variables", "Variables",
                              QKeySequence("Ctrl+Alt+V"), &TFMain::Palettes_VariablesClick);
    Palettes_Constants = item(Palettes_Menue, "Palettes_Constants", "Constants",
                              QKeySequence("Ctrl+Alt+C"), &TFMain::Palettes_ConstantsClick);
    Palettes_Functions_user =
        item(Palettes_Menue, "Palettes_Functions_user", "Functions (user-defined)",
             QKeySequence("Ctrl+Alt+F"), &TFMain::Palettes_Functions_userClick);
    Palettes_Functions_builtin =
        item(Palettes_Menue, "Palettes_Functions_builtin", "Functions (built-in)",
             QKeySequence("Ctrl+Alt+B"), &TFMain::Palettes_Functions_builtinClick);

    Plot_Menue = menu("Plot_Menue", "Plot");
    Plot_Show = item(Plot_Menue, "Plot_Show", "Plot window", QKeySequence("Ctrl+P"), &TFMain::Plot_ShowClick);

    Help_Menue = menu("Help_Menue", "Help");
    Help_Dokumentation = item(Help_Menue, "Help_Dokumentation", "Documentation",
                              QKeySequence(Qt::Key_F1), &TFMain::Help_DokumentationClick);
    Help_About = item(Help_Menue, "Help_About", "About", {}, &TFMain::Help_AboutClick);
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Insert)) {
            // Not accepted: the edit field does not claim the key, the menu gets it.
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- calculation

void TFMain::Edit_CalculateClick() {
    if (aCalculating || !Engine) return;
    aCalculating = true;
    struct tRestore {
        TFMain* self;
        // Disabling the window and the button takes the focus away; it goes
        // back where it was (to the formula after a parse error).
        QPointer<QWidget> focus;
        ~tRestore() {
            // The engine ends every evaluation with an idle report; should one
            // be missing, the main window must not stay locked.
            if (self->W.Progress && self->W.Progress->isVisible()) ProgressCallback(0, 0, 0, 0);
            self->BCalculate->setEnabled(true);
            self->aCalculating = false;
            QWidget* to = focus ? focus.data() : self->EFormel;
            if (to->isVisible() && to->isEnabled()) to->setFocus(Qt::OtherFocusReason);
            self->RetryPendingClose();
        }
    } restore{this, focusWidget()};
    BCalculate->setEnabled(false);

    const QString typed = EFormel->text();
    RememberFormula(typed);
    const QByteArray formula = typed.toUtf8();
    const cCalculation calculation = Calculate(*Engine, formula.toStdString());
    LastResult = calculation.aValue;
    if (calculation.Ok()) {
        LErgebnis->SetResult(QString::fromUtf8(static_cast<const char*>(LastResult)));
        return;
    }
    QString failure = calculation.aOutcome == eOutcome::Cancelled ? "calculation cancelled"
                      : calculation.aOutcome == eOutcome::CalcFailed ? "calc error"
                                                                     : "parse error";
    if (calculation.aOutcome == eOutcome::ParseFailed)
        if (const auto hint = MissingBracketsHint(formula.toStdString(), calculation.aParse))
            failure += QString(" (%1)").arg(QString::fromStdString(*hint));
    Dialogs().Message(this, tMsgType::Plain, failure);
    LErgebnis->SetResult("<ERROR>");
    if (calculation.aLast >= calculation.aFirst && calculation.aFirst >= 0) {
        // Where to look: the failing stretch, selected once the box is gone.
        const tFieldStretch fault = FieldStretch(formula, calculation.aFirst, calculation.aLast);
        restore.focus = EFormel;
        EFormel->setFocus(Qt::OtherFocusReason);
        EFormel->setSelection(fault.start, fault.length);
    }
}

void TFMain::RememberFormula(const QString& formula) {
    if (!History) return;
    std::string error;
    if (History->Calculated(formula, &error) || aHistoryWarned) return;
    aHistoryWarned = true; // once a run: the next calculations fail alike
    Dialogs().Message(this, tMsgType::Warning,
                      QString("Warning: The formula history cannot be saved to \"%1\": %2.")
                          .arg(QString::fromStdString(History->History().Path()),
                               QString::fromStdString(error)));
}

// ---- memory and the variable letter

char TFMain::StoreLetter() const {
    const QString text = EStoreVar->text();
    return text.isEmpty() ? 'a' : static_cast<char>(text[0].toLatin1());
}

void TFMain::BMClick() {
    if (Engine) Engine->SetVar(StoreLetter(), LastResult);
}

void TFMain::BMplusClick() {
    if (!Engine) return;
    const char letter = StoreLetter();
    Engine->SetVar(letter, Engine->GetVar(letter) + LastResult);
}

void TFMain::BMminusClick() {
    if (!Engine) return;
    const char letter = StoreLetter();
    Engine->SetVar(letter, Engine->GetVar(letter) - LastResult);
}

void TFMain::BStoreVarClick(bool up) {
    char letter = StoreLetter();
    if (up && letter < 'z')
        ++letter;
    else if (!up && letter > 'a')
        --letter;
    EStoreVar->setText(QString(QChar(letter)));
}

void TFMain::EStoreVarChange() {
    const QString text = EStoreVar->text();
    if (text.isEmpty() || text[0] < QChar('a') || text[0] > QChar('z')) EStoreVar->setText("a");
}

void TFMain::Edit_ClearClick() {
    EFormel->clear();
    LastResult = cLongReal(0L);
    LErgebnis->SetResult(QString::fromUtf8(static_cast<const char*>(LastResult)));
    EFormel->setFocus();
}

// ---- sizes

void TFMain::Edit_Size_TinyClick() {
    SetSize(tSize::Tiny);
}

void TFMain::Edit_Size_SmallClick() {
    SetSize(tSize::Small);
}

void TFMain::Edit_Size_NormalClick() {
    SetSize(tSize::Normal);
}

void TFMain::SetSize(tSize size) {
    if (size == aSize) return;
    aSize = size;
    ApplySize();
    (size == tSize::Tiny    ? Edit_Size_Tiny
     : size == tSize::Small ? Edit_Size_Small
                            : Edit_Size_Normal)
        ->setChecked(true);
}

void TFMain::ApplySize() {
    const tSizeRow& row = aSize == tSize::Tiny ? kTiny : aSize == tSize::Small ? kSmall : kNormal;
    // The client area of the design below the menu bar; the window manager
    // adds its own frame around it.
    const int menuHeight = HauptMenue->sizeHint().height();
    setFixedSize(row.width - kFrameWidth, row.height - kFrameHeight + menuHeight);
    EFormel->resize(row.formelWidth, EFormel->height());
    LErgebnis->resize(row.formelWidth, LErgebnis->height());
    StatusBox->setVisible(aSize == tSize::Normal);
    GroupBox1->setVisible(aSize != tSize::Tiny);
}

// ---- clipboard, other windows, help

void TFMain::Edit_CopyResultClick() {
    QGuiApplication::clipboard()->setText(LErgebnis->FullText());
}

void TFMain::Edit_ConstantsClick() {
    if (!W.Edit) return;
    W.Edit->ConstantsMode = true;
    Dialogs().ShowModal(W.Edit);
}

void TFMain::Edit_FunctionsClick() {
    if (!W.Edit) return;
    W.Edit->ConstantsMode = false;
    Dialogs().ShowModal(W.Edit);
}

void TFMain::Edit_PreferencesClick() {
    if (W.Config) Dialogs().ShowModal(W.Config);
}

void TFMain::Help_AboutClick() {
    if (W.Credits) Dialogs().ShowModal(W.Credits);
}

void TFMain::ShowPalettePage(int page) {
    if (!W.Palettes) return;
    if (!W.Palettes->isVisible()) W.Palettes->show();
    W.Palettes->PageControl->setCurrentIndex(page);
    // Another window may lie over it: bring it to the front with the keyboard.
    W.Palettes->raise();
    W.Palettes->activateWindow();
}

void TFMain::Palettes_VariablesClick() {
    ShowPalettePage(0);
}

void TFMain::Palettes_ConstantsClick() {
    ShowPalettePage(1);
}

void TFMain::Palettes_Functions_userClick() {
    ShowPalettePage(2);
}

void TFMain::Palettes_Functions_builtinClick() {
    ShowPalettePage(3);
}

void TFMain::Help_DokumentationClick() {
    Dialogs().Message(this, tMsgType::Information, kDocumentationText);
}

// ---- hooks

void SetProgressClock(std::function<int32_t()> clock) {
    gClock = std::move(clock);
}

void ProgressCallback(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    TFMain* main = gMainForm;
    if (!main || !main->W.Progress) return;
    TFProgress& progress = *main->W.Progress;

    if (level > 3) {
        // Not shown, but an evaluation this deep can still be cancelled.
        if (activity == faCalculating && progress.Cancellable()) {
            if (CancelPollDue()) PumpMessages();
            ThrowIfCancelled(progress, activity);
        }
        return;
    }
    if (level == 0 && activity == faIdle) {
        if (progress.isVisible()) {
            progress.SetCancellable(false);
            main->UnlockAfterJob();
            progress.EndJob();
        }
        main->RetryPendingClose();
        return;
    }
    if (!progress.isVisible()) {
        main->LastProgressRefresh = 0;
        progress.ResetRows();
        progress.CancelRequested = false; // a click meant for an earlier job
        progress.BeginJob(main);
        main->LockForJob();
    }
    if (level == 0 && activity == faCalculating && !progress.Cancellable()) {
        progress.SetCancellable(true);
        // Started from the main window: Esc reaches the progress window at once.
        if (QApplication::activeWindow() == main) progress.TakeKeyboard();
    } else if (level == 0 && activity != faCalculating) {
        progress.SetCancellable(false);
    }
    ThrowIfCancelled(progress, activity);

    progress.StoreRow(level, activity, total, done);

    if (CalendarSeconds() != main->LastProgressRefresh) {
        progress.ShowRows();
        PumpMessages();
        main->LastProgressRefresh = CalendarSeconds();
    } else if (progress.Cancellable() && CancelPollDue()) {
        PumpMessages(); // rows stay as drawn; only input is let through
    } else {
        return;
    }
    ThrowIfCancelled(progress, activity);
}

// The main window's LibraryStream as the stream of the library hooks; it
// holds a device only during one load or save, which releases it.
class cMainWindowStream : public cLibraryStream {
public:
    uint16_t Read(void* buffer, uint16_t count) override {
        QIODevice* stream = Device();
        const qint64 read = stream ? stream->read(static_cast<char*>(buffer), count) : 0;
        return read > 0 ? static_cast<uint16_t>(read) : 0;
    }
    uint16_t Write(const void* buffer, uint16_t count) override {
        QIODevice* stream = Device();
        const qint64 written = stream ? stream->write(static_cast<const char*>(buffer), count) : 0;
        return written > 0 ? static_cast<uint16_t>(written) : 0;
    }
    void Release() override {
        if (gMainForm) gMainForm->LibraryStream.reset();
    }

private:
    static QIODevice* Device() { return gMainForm ? gMainForm->LibraryStream.get() : nullptr; }
};

cLibraryStream& MainWindowStream() {
    static cMainWindowStream stream;
    return stream;
}

// ---- exceptions

void ShowException(std::exception_ptr exception) {
    static bool showing = false; // an error box that fails itself is not shown again
    if (showing) return;
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

cKorundProgram::cKorundProgram(const QString& pictureDir,
                               std::function<void(const QString&)> trace) {
    auto note = [&trace](const char* step) {
        if (trace) trace(step);
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
        if (value == "1") return tMode::Exit;
        if (value == "preferences") return tMode::Preferences;
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
        if (type == tMsgType::Error) ++errors;
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
    if (mode != cExitWhenShown::tMode::Off && !InstalledDialogs()) quiet.emplace();
    try {
        cKorundProgram program(pictureDir);
        QApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(program.W.Main, &TFMain::Closed, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        cExitWhenShown probe([&program, mode] {
            if (mode != cExitWhenShown::tMode::Preferences) return;
            program.W.Config->FormShow();
            program.W.Config->BOkClick();
        });
        if (mode != cExitWhenShown::tMode::Off) program.W.Main->installEventFilter(&probe);
        program.W.Main->show();
        if (!startFile.isEmpty()) {
            TFMain* main = program.W.Main;
            QTimer::singleShot(0, main, [main, startFile] {
                RunGuarded([main, &startFile] { main->OpenStartFile(startFile); });
            });
        }
        QApplication::exec();
        return quiet && quiet->errors > 0 ? 1 : 0;
    } catch (...) {
        ShowException(std::current_exception());
    }
    return 1;
}

const char* const kKorundUsage =
    "Usage: Korund [FILE.krc | FILE.krf]\n"
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
