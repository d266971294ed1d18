// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its controls and menu, and their handlers. The unit's
// other jobs have their own files: Korund_main_progress (the progress hook),
// Korund_main_start (start-up and the command line), Korund_main_files
// (library files), Korund_updown (the up/down control).
#include "Korund_main_unit.h"

#include "Calculation.h"
#include "Config_unit.h"
#include "Credits_unit.h"
#include "Engine_job.h"
#include "Formula_fault.h"
#include "Formula_recall.h"
#include "Info_window_unit.h"
#include "Korund_dialogs.h"
#include "Lib_editor.h"
#include "Palettes_unit.h"
#include "Plot_unit.h"
#include "Progress_unit.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
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
#include <string>
#include <vector>

TFMain* gMainForm = nullptr;

namespace {

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

// ---- TFMain construction and shutdown

TFMain::TFMain(cKorundWindows& windows, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
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
    if (gMainForm == this)
        gMainForm = nullptr;
}

void TFMain::closeEvent(QCloseEvent* event) { FormClose(event); }

void TFMain::RetryPendingClose() {
    // Queued: by the time it runs, the engine call that reported has returned.
    if (aClosePending)
        QTimer::singleShot(0, this, [this] {
            if (aClosePending && !Busy())
                close();
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

// ---- controls and menu

void TFMain::CreateControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    EFormel = new QLineEdit("<formula>", client);
    EFormel->setGeometry(8, 8, 481, 21);
    EFormel->selectAll(); // the first keystroke replaces the placeholder
    connect(EFormel, &QLineEdit::returnPressed, this, [this] { RunGuarded([this] { Edit_CalculateClick(); }); });

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
    connect(EStoreVar, &QLineEdit::textChanged, this, [this] { RunGuarded([this] { EStoreVarChange(); }); });
    BStoreVar = new TUpDown(GroupBox1);
    BStoreVar->setGeometry(24, 16, 16, 25);
    connect(BStoreVar, &TUpDown::Click, this, [this](bool up) { RunGuarded([this, up] { BStoreVarClick(up); }); });

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
        connect(a, &QAction::triggered, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
        return a;
    };

    File_Menue = menu("File_Menue", "File");
    File_Open = item(File_Menue, "File_Open", "Open", QKeySequence("Ctrl+O"), &TFMain::File_OpenClick);
    File_Save = item(File_Menue, "File_Save", "Save", QKeySequence("Ctrl+S"), &TFMain::File_SaveClick);

    Edit_Menue = menu("Edit_Menue", "Edit");
    Edit_Constants = item(Edit_Menue, "Edit_Constants", "Constants", {}, &TFMain::Edit_ConstantsClick);
    Edit_Functions = item(Edit_Menue, "Edit_Functions", "Functions", {}, &TFMain::Edit_FunctionsClick);
    Edit_Preferences = item(Edit_Menue, "Edit_Preferences", "Preferences", {}, &TFMain::Edit_PreferencesClick);
    Edit_Size = Edit_Menue->addMenu("Size");
    Edit_Size->setObjectName("Edit_Size");
    Edit_Size_Group = new QActionGroup(this);
    Edit_Size_Group->setExclusive(true);
    Edit_Size_Tiny = item(Edit_Size, "Edit_Size_Tiny", "tiny", {}, &TFMain::Edit_Size_TinyClick);
    Edit_Size_Small = item(Edit_Size, "Edit_Size_Small", "small", {}, &TFMain::Edit_Size_SmallClick);
    Edit_Size_Normal = item(Edit_Size, "Edit_Size_Normal", "normal", {}, &TFMain::Edit_Size_NormalClick);
    for (QAction* a : {Edit_Size_Tiny, Edit_Size_Small, Edit_Size_Normal}) {
        a->setCheckable(true);
        Edit_Size_Group->addAction(a);
    }
    Edit_Size_Normal->setChecked(true);
    N1 = Edit_Menue->addSeparator();
    N1->setObjectName("N1");
    Edit_Calculate =
        item(Edit_Menue, "Edit_Calculate", "Calculate", QKeySequence(Qt::Key_F2), &TFMain::Edit_CalculateClick);
    Edit_Clear = item(Edit_Menue, "Edit_Clear", "Clear", QKeySequence(Qt::Key_Delete), &TFMain::Edit_ClearClick);
    Edit_CopyResult =
        item(Edit_Menue, "Edit_CopyResult", "Copy result", QKeySequence(Qt::Key_Insert), &TFMain::Edit_CopyResultClick);

    Palettes_Menue = menu("Palettes_Menue", "Palettes");
    Palettes_Variables = item(Palettes_Menue, "Palettes_Variables", "Variables", QKeySequence("Ctrl+Alt+V"),
                              &TFMain::Palettes_VariablesClick);
    Palettes_Constants = item(Palettes_Menue, "Palettes_Constants", "Constants", QKeySequence("Ctrl+Alt+C"),
                              &TFMain::Palettes_ConstantsClick);
    Palettes_Functions_user = item(Palettes_Menue, "Palettes_Functions_user", "Functions (user-defined)",
                                   QKeySequence("Ctrl+Alt+F"), &TFMain::Palettes_Functions_userClick);
    Palettes_Functions_builtin = item(Palettes_Menue, "Palettes_Functions_builtin", "Functions (built-in)",
                                      QKeySequence("Ctrl+Alt+B"), &TFMain::Palettes_Functions_builtinClick);

    Plot_Menue = menu("Plot_Menue", "Plot");
    Plot_Show = item(Plot_Menue, "Plot_Show", "Plot window", QKeySequence("Ctrl+P"), &TFMain::Plot_ShowClick);

    Help_Menue = menu("Help_Menue", "Help");
    Help_Dokumentation = item(Help_Menue, "Help_Dokumentation", "Documentation", QKeySequence(Qt::Key_F1),
                              &TFMain::Help_DokumentationClick);
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
    if (aCalculating || !Engine || cEngineJob::Running())
        return;
    aCalculating = true;
    struct tRestore {
        TFMain* self;
        // Disabling the window and the button takes the focus away; it goes
        // back where it was (to the formula after a parse error).
        QPointer<QWidget> focus;
        ~tRestore() {
            // The engine ends every evaluation with an idle report; should one
            // be missing, the main window must not stay locked.
            if (self->W.Progress && self->W.Progress->isVisible())
                ProgressCallback(0, 0, 0, 0);
            self->BCalculate->setEnabled(true);
            self->aCalculating = false;
            QWidget* to = focus ? focus.data() : self->EFormel;
            if (to->isVisible() && to->isEnabled())
                to->setFocus(Qt::OtherFocusReason);
            self->RetryPendingClose();
        }
    } restore{this, focusWidget()};
    BCalculate->setEnabled(false);
    std::optional<cEngineJob> job(std::in_place);

    const QString typed = EFormel->text();
    RememberFormula(typed);
    const QByteArray formula = typed.toUtf8();
    const cCalculation calculation = Calculate(*Engine, formula.toStdString());
    job.reset();
    LastResult = calculation.aValue;
    if (calculation.Ok()) {
        LErgebnis->SetResult(QString::fromUtf8(static_cast<const char*>(LastResult)));
        return;
    }
    QString failure = calculation.aOutcome == eOutcome::Cancelled    ? "calculation cancelled"
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
    if (!History)
        return;
    std::string error;
    if (History->Calculated(formula, &error) || aHistoryWarned)
        return;
    aHistoryWarned = true; // once a run: the next calculations fail alike
    Dialogs().Message(this, tMsgType::Warning,
                      QString("Warning: The formula history cannot be saved to \"%1\": %2.")
                          .arg(QString::fromStdString(History->History().Path()), QString::fromStdString(error)));
}

// ---- memory and the variable letter

char TFMain::StoreLetter() const {
    const QString text = EStoreVar->text();
    return text.isEmpty() ? 'a' : static_cast<char>(text[0].toLatin1());
}

void TFMain::BMClick() {
    if (Engine)
        Engine->SetVar(StoreLetter(), LastResult);
}

void TFMain::BMplusClick() {
    if (!Engine)
        return;
    const char letter = StoreLetter();
    Engine->SetVar(letter, Engine->GetVar(letter) + LastResult);
}

void TFMain::BMminusClick() {
    if (!Engine)
        return;
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
    if (text.isEmpty() || text[0] < QChar('a') || text[0] > QChar('z'))
        EStoreVar->setText("a");
}

void TFMain::Edit_ClearClick() {
    EFormel->clear();
    LastResult = cLongReal(0L);
    LErgebnis->SetResult(QString::fromUtf8(static_cast<const char*>(LastResult)));
    EFormel->setFocus();
}

// ---- sizes

void TFMain::Edit_Size_TinyClick() { SetSize(tSize::Tiny); }

void TFMain::Edit_Size_SmallClick() { SetSize(tSize::Small); }

void TFMain::Edit_Size_NormalClick() { SetSize(tSize::Normal); }

void TFMain::SetSize(tSize size) {
    if (size == aSize)
        return;
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

void TFMain::Edit_CopyResultClick() { QGuiApplication::clipboard()->setText(LErgebnis->FullText()); }

void TFMain::Edit_ConstantsClick() {
    if (!W.Edit || cEngineJob::Running())
        return;
    W.Edit->ConstantsMode = true;
    Dialogs().ShowModal(W.Edit);
}

void TFMain::Edit_FunctionsClick() {
    if (!W.Edit || cEngineJob::Running())
        return;
    W.Edit->ConstantsMode = false;
    Dialogs().ShowModal(W.Edit);
}

void TFMain::Edit_PreferencesClick() {
    if (W.Config)
        Dialogs().ShowModal(W.Config);
}

void TFMain::Help_AboutClick() {
    if (W.Credits)
        Dialogs().ShowModal(W.Credits);
}

void TFMain::ShowPalettePage(int page) {
    if (!W.Palettes)
        return;
    if (!W.Palettes->isVisible())
        W.Palettes->show();
    W.Palettes->PageControl->setCurrentIndex(page);
    // Another window may lie over it: bring it to the front with the keyboard.
    W.Palettes->raise();
    W.Palettes->activateWindow();
}

void TFMain::Palettes_VariablesClick() { ShowPalettePage(0); }

void TFMain::Palettes_ConstantsClick() { ShowPalettePage(1); }

void TFMain::Palettes_Functions_userClick() { ShowPalettePage(2); }

void TFMain::Palettes_Functions_builtinClick() { ShowPalettePage(3); }

void TFMain::Help_DokumentationClick() { Dialogs().Message(this, tMsgType::Information, kDocumentationText); }
