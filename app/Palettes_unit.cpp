// SPDX-License-Identifier: GPL-3.0-or-later
#include "Palettes_unit.h"

#include "Info_window_unit.h"
#include "Korund_dialogs.h"
#include "Korund_main_unit.h"
#include "Korund_utils.h"
#include "cBuiltins.h"
#include "cFormulaEngine.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>

namespace {

QPushButton* MakeButton(QWidget* page, const char* caption, int left, int top, int width = 75, int height = 25) {
    auto* button = new QPushButton(QString::fromLatin1(caption), page);
    button->setGeometry(left, top, width, height);
    return button;
}

QListWidget* MakeList(QWidget* page) {
    auto* list = new QListWidget(page);
    list->setGeometry(8, 8, 105, 161);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

// Position of the selected entry, or -1; also the engine index of that entry.
int SelectedRow(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

// The engine reads an unknown index as "no entry": -1 becomes such an index.
uint32_t EngineIndex(int row) { return static_cast<uint32_t>(row); }

void FillList(QListWidget* list, uint32_t count, tOwnedText (*definition)(uint32_t)) {
    list->clear();
    for (uint32_t i = 0; i < count; ++i)
        list->addItem(ListLabel(definition(i)));
    list->repaint();
}

} // namespace

TFPalettes::TFPalettes(cKorundWindows& windows, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint), W(windows) {
    setWindowTitle("Palettes");
    move(306, 171);
    setFixedSize(243, 203);

    PageControl = new QTabWidget(this);
    PageControl->setGeometry(0, 0, 241, 201);
    // Four captions in 241 pixels: compact tabs instead of scroll arrows.
    PageControl->setUsesScrollButtons(false);
    PageControl->setStyleSheet("QTabBar::tab { padding: 2px 2px; }");

    SVariables = new QWidget;
    MVarState = new QPlainTextEdit(SVariables);
    MVarState->setGeometry(8, 8, 217, 137);
    MVarState->setReadOnly(true);
    MVarState->setFrameShape(QFrame::NoFrame);
    MVarState->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MVarState->setLineWrapMode(QPlainTextEdit::NoWrap);
    MVarState->setBackgroundRole(QPalette::Window);
    MVarState->viewport()->setBackgroundRole(QPalette::Window);
    BRefresh = MakeButton(SVariables, "Refresh", 80, 152, 75, 17);

    SConstants = new QWidget;
    LConst = MakeList(SConstants);
    BConstDesc = MakeButton(SConstants, "Description", 136, 16);
    BConstDef = MakeButton(SConstants, "Definition", 136, 48);
    BConstPaste = MakeButton(SConstants, "Paste", 136, 136);

    SUserFunc = new QWidget;
    LUserFunc = MakeList(SUserFunc);
    BUserFuncDesc = MakeButton(SUserFunc, "Description", 136, 16);
    BUserFuncDef = MakeButton(SUserFunc, "Definition", 136, 48);
    BUserFuncPaste = MakeButton(SUserFunc, "Paste", 136, 136);

    SBuiltinFunc = new QWidget;
    LBuiltinFunc = MakeList(SBuiltinFunc);
    BBuiltinFuncDesc = MakeButton(SBuiltinFunc, "Help", 136, 16);
    BBuiltinFuncPaste = MakeButton(SBuiltinFunc, "Paste", 136, 136);

    PageControl->addTab(SVariables, "Variables");
    PageControl->addTab(SConstants, "Constants");
    PageControl->addTab(SUserFunc, "F(x) user");
    PageControl->addTab(SBuiltinFunc, "F(x) built-in");
    PageControl->setCurrentIndex(3);

    connect(PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        if (isVisible())
            RefreshPage(index);
    });
    connect(BRefresh, &QPushButton::clicked, this, &TFPalettes::SVariablesShow);
    connect(BConstPaste, &QPushButton::clicked, this, &TFPalettes::BConstPasteClick);
    connect(BUserFuncPaste, &QPushButton::clicked, this, &TFPalettes::BUserFuncPasteClick);
    connect(BBuiltinFuncPaste, &QPushButton::clicked, this, &TFPalettes::BBuiltinFuncPasteClick);
    connect(BConstDef, &QPushButton::clicked, this, &TFPalettes::BConstDefClick);
    connect(BConstDesc, &QPushButton::clicked, this, &TFPalettes::BConstDescClick);
    connect(BUserFuncDef, &QPushButton::clicked, this, &TFPalettes::BUserFuncDefClick);
    connect(BUserFuncDesc, &QPushButton::clicked, this, &TFPalettes::BUserFuncDescClick);
    connect(BBuiltinFuncDesc, &QPushButton::clicked, this, &TFPalettes::BBuiltinFuncDescClick);
}

void TFPalettes::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        RefreshPage(PageControl->currentIndex());
}

void TFPalettes::RefreshPage(int index) {
    switch (index) {
    case 0: SVariablesShow(); break;
    case 1: SConstantsShow(); break;
    case 2: SUserFuncShow(); break;
    case 3: SBuiltinFuncShow(); break;
    default: break;
    }
}

void TFPalettes::SVariablesShow() {
    MVarState->clear();
    if (!W.Main || !W.Main->Engine)
        return;
    QStringList lines;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const cLongReal value = W.Main->Engine->GetVar(letter);
        lines << QString(QLatin1Char(letter)) + " = " + QString::fromUtf8(static_cast<const char*>(value));
    }
    MVarState->setPlainText(lines.join(QLatin1Char('\n')));
    MVarState->repaint();
}

void TFPalettes::SConstantsShow() {
    FillList(LConst, cFormulaEngine::GetConstantCount(), &cFormulaEngine::GetConstantDef);
}

void TFPalettes::SUserFuncShow() {
    FillList(LUserFunc, cFormulaEngine::GetFunctionCount(), &cFormulaEngine::GetFunctionDef);
}

void TFPalettes::SBuiltinFuncShow() {
    LBuiltinFunc->clear();
    for (const cBuiltin& builtin : kBuiltins)
        LBuiltinFunc->addItem(QString::fromStdString(ShortenForList(builtin.aSignature)));
    LBuiltinFunc->repaint();
}

void TFPalettes::AppendToFormula(const QString& text) {
    if (text.isEmpty() || !W.Main || !W.Main->EFormel)
        return;
    W.Main->EFormel->setText(W.Main->EFormel->text() + text);
}

void TFPalettes::BConstPasteClick() {
    const tOwnedText def = cFormulaEngine::GetConstantDef(EngineIndex(SelectedRow(LConst)));
    if (def)
        AppendToFormula(QString::fromStdString(DefinitionName(def.get())));
}

void TFPalettes::BUserFuncPasteClick() {
    const tOwnedText def = cFormulaEngine::GetFunctionDef(EngineIndex(SelectedRow(LUserFunc)));
    if (def)
        AppendToFormula(QString::fromStdString(DefinitionName(def.get())));
}

void TFPalettes::BBuiltinFuncPasteClick() {
    const int row = SelectedRow(LBuiltinFunc);
    if (row < 0 || row >= static_cast<int>(kBuiltins.size()))
        return;
    AppendToFormula(QString::fromLatin1(kBuiltins[static_cast<size_t>(row)].aSignature));
}

void TFPalettes::ShowInfo(const QString& caption, const QString& text) {
    if (W.InfoText)
        W.InfoText->ShowInfo(caption, text);
}

void TFPalettes::BConstDefClick() {
    ShowInfo("Constant definition", EngineToMemo(cFormulaEngine::GetConstantDef(EngineIndex(SelectedRow(LConst)))));
}

void TFPalettes::BConstDescClick() {
    ShowInfo("Constant description", EngineToMemo(cFormulaEngine::GetConstantDesc(EngineIndex(SelectedRow(LConst)))));
}

void TFPalettes::BUserFuncDefClick() {
    ShowInfo("Function definition", EngineToMemo(cFormulaEngine::GetFunctionDef(EngineIndex(SelectedRow(LUserFunc)))));
}

void TFPalettes::BUserFuncDescClick() {
    ShowInfo("Function description",
             EngineToMemo(cFormulaEngine::GetFunctionDesc(EngineIndex(SelectedRow(LUserFunc)))));
}

void TFPalettes::BBuiltinFuncDescClick() {
    Dialogs().Message(this, tMsgType::Information,
                      "Note: This feature is not implemented yet. It will be aviable in the final "
                      "release of version 1.0 when beta testing is finished.",
                      tMsgButtons::Ok);
}
