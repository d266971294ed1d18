// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lib_editor.h"

#include "Engine_job.h"
#include "Korund_dialogs.h"
#include "Korund_utils.h"
#include "Palettes_unit.h"
#include "cFormulaEngine.h"
#include "cNameCheck.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

// The engine's operations on one of its two libraries.
struct cLibraryOps {
    const char* caption;
    void (*Start)();
    int32_t (*Stop)();
    void (*Cancel)();
    uint32_t (*Count)();
    tOwnedText (*Def)(uint32_t);
    tOwnedText (*Desc)(uint32_t);
    bool (*Add)(const char*, const char*);
    bool (*Delete)(uint32_t);
    bool (*Replace)(uint32_t, const char*, const char*);
};

namespace {

const cLibraryOps kConstants{"Edit constants",
                             &cFormulaEngine::StartConstantEdit,
                             &cFormulaEngine::StopConstantEdit,
                             &cFormulaEngine::CancelConstantEdit,
                             &cFormulaEngine::GetConstantCount,
                             &cFormulaEngine::GetConstantDef,
                             &cFormulaEngine::GetConstantDesc,
                             &cFormulaEngine::AddConstant,
                             &cFormulaEngine::DeleteConstant,
                             &cFormulaEngine::ReplaceConstant};

const cLibraryOps kFunctions{"Edit functions",
                             &cFormulaEngine::StartFunctionEdit,
                             &cFormulaEngine::StopFunctionEdit,
                             &cFormulaEngine::CancelFunctionEdit,
                             &cFormulaEngine::GetFunctionCount,
                             &cFormulaEngine::GetFunctionDef,
                             &cFormulaEngine::GetFunctionDesc,
                             &cFormulaEngine::AddFunction,
                             &cFormulaEngine::DeleteFunction,
                             &cFormulaEngine::ReplaceFunction};

const char* const kMsgFull = "Warning: It is not possible to add anything more. The memory area which is reserved for "
                             "this purpose is full. You can avoid this by setting a larger value in the preferences.";
const char* const kMsgSelect = "Warning: To perform this action, it is required that you select something before.";
const char* const kMsgInUse =
    "Warning: It is not possible to manipulate/delete this constant declaration in any way. It "
    "is used by one ore more user-defined functions. If you really want to manipulate/delete "
    "this declaration, you have to remove all functions which make use of it first. You may "
    "want to save all user-defined functions to a file before removing any of them. "
    "(Annotation: This dependency check should avoid some fatal side-effects)";
const char* const kMsgInterpret = "Error: While interpreting your declarations, Korund encountered an error. It is "
                                  "recommented that you re-edit the declaration capable for the error. Do you want to "
                                  "re-edit or cancel editing?";

// A library file holds at most this many bytes of a definition or a description.
constexpr qsizetype kMaxEntryText = 65535;

// Refuses texts that no library file could hold, with a message; true when they fit.
bool FitsALibraryFile(QWidget* parent, const QByteArray& def, const QByteArray& desc) {
    if (def.size() <= kMaxEntryText && desc.size() <= kMaxEntryText)
        return true;
    Dialogs().Message(parent, tMsgType::Error,
                      QString("Error: A definition or description may hold at most %1 characters, "
                              "which is what a library file can hold; this one holds %2. Nothing "
                              "has been changed.")
                          .arg(kMaxEntryText)
                          .arg(std::max(def.size(), desc.size())),
                      tMsgButtons::Ok);
    return false;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, int left, int top, int width) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setGeometry(left, top, width, 25);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeBlueLabel(QWidget* parent, const char* caption, int left, int top) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->move(left, top);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    return label;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* text, int left, int top) {
    auto* memo = new QPlainTextEdit(QString::fromLatin1(text), parent);
    memo->setGeometry(left, top, 225, 97);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
    return memo;
}

// The name of a definition as the engine keeps it: printable characters up
// to '=', for a function up to its '('.
std::string EntryName(const tOwnedText& definition, bool function) {
    std::string name = DefinitionName(definition ? definition.get() : "");
    if (function)
        name = name.substr(0, name.find('('));
    return name;
}

} // namespace

TFEdit::TFEdit(cKorundWindows& windows, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      W(windows) {
    setObjectName("FEdit");
    setWindowTitle("Editor");
    setFixedSize(351, 327);

    Liste = new QListWidget(this);
    Liste->setGeometry(8, 8, 105, 265);
    Liste->setSelectionMode(QAbstractItemView::SingleSelection);
    Liste->setStyleSheet("QListWidget::item { height: 13px; }");
    Label1 = MakeBlueLabel(this, "Defintion", 120, 8);
    MDef = MakeMemo(this, "<definition>", 120, 24);
    Label2 = MakeBlueLabel(this, "Description", 120, 128);
    MDesc = MakeMemo(this, "<description>", 120, 144);
    BAdd = MakeButton(this, "Add", 120, 248, 65);
    BDelete = MakeButton(this, "Delete", 200, 248, 65);
    BModify = MakeButton(this, "Modify", 280, 248, 67);
    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(8, 288, 337, 3);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    BDone = MakeButton(this, "Done", 200, 296, 65);
    BCancel = MakeButton(this, "Cancel", 280, 296, 65);

    QWidget* order[] = {Liste, MDef, MDesc, BAdd, BDelete, BModify, BCancel, BDone};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    // Selecting by mouse or keyboard shows the entry; programmatic changes block signals.
    connect(Liste, &QListWidget::itemSelectionChanged, this, [this] { ListeClick(); });
    connect(Liste, &QListWidget::itemClicked, this, [this] { ListeClick(); });
    connect(BAdd, &QPushButton::clicked, this, &TFEdit::BAddClick);
    connect(BDelete, &QPushButton::clicked, this, &TFEdit::BDeleteClick);
    connect(BModify, &QPushButton::clicked, this, &TFEdit::BModifyClick);
    connect(BDone, &QPushButton::clicked, this, &TFEdit::BDoneClick);
    connect(BCancel, &QPushButton::clicked, this, &TFEdit::BCancelClick);
}

const cLibraryOps& TFEdit::Library() const { return ConstantsMode ? kConstants : kFunctions; }

int TFEdit::SelectedIndex() const {
    const QListWidgetItem* item = Liste->currentItem();
    return item && item->isSelected() ? Liste->row(item) : -1;
}

void TFEdit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFEdit::FormShow() {
    MDef->setPlainText("<definition>");
    MDesc->setPlainText("<description>");
    const cLibraryOps& lib = Library();
    setWindowTitle(lib.caption);
    lib.Start();
    const QSignalBlocker blocker(Liste);
    Liste->clear();
    const uint32_t count = lib.Count();
    for (uint32_t i = 0; i < count; ++i)
        Liste->addItem(ListLabel(lib.Def(i)));
}

void TFEdit::ShowEntry(int index) {
    const auto engineIndex = static_cast<uint32_t>(index); // -1: no entry, empty texts
    MDef->setPlainText(EngineToMemo(Library().Def(engineIndex)));
    MDesc->setPlainText(EngineToMemo(Library().Desc(engineIndex)));
}

void TFEdit::ListeClick() { ShowEntry(SelectedIndex()); }

void TFEdit::BAddClick() {
    const QByteArray def = MemoToEngine(MDef->toPlainText());
    const QByteArray desc = MemoToEngine(MDesc->toPlainText());
    if (!FitsALibraryFile(this, def, desc))
        return;
    if (Library().Add(def.constData(), desc.constData())) {
        Liste->addItem(ListLabel(def.constData()));
        WarnIfUnreachable(static_cast<uint32_t>(Library().Count() - 1));
    } else
        Dialogs().Message(this, tMsgType::Warning, kMsgFull, tMsgButtons::Ok);
}

void TFEdit::BDeleteClick() {
    const int index = SelectedIndex();
    if (index < 0) {
        Dialogs().Message(this, tMsgType::Warning, kMsgSelect, tMsgButtons::Ok);
        return;
    }
    if (Library().Delete(static_cast<uint32_t>(index))) {
        const QSignalBlocker blocker(Liste);
        delete Liste->takeItem(index);
        Liste->setCurrentRow(-1);
        Liste->clearSelection();
    } else if (ConstantsMode) {
        Dialogs().Message(this, tMsgType::Warning, kMsgInUse, tMsgButtons::Ok);
    }
}

void TFEdit::BModifyClick() {
    const int index = SelectedIndex();
    if (index < 0) {
        Dialogs().Message(this, tMsgType::Warning, kMsgSelect, tMsgButtons::Ok);
        return;
    }
    const QByteArray def = MemoToEngine(MDef->toPlainText());
    const QByteArray desc = MemoToEngine(MDesc->toPlainText());
    if (!FitsALibraryFile(this, def, desc))
        return;
    if (Library().Replace(static_cast<uint32_t>(index), def.constData(), desc.constData())) {
        Liste->item(index)->setText(ListLabel(def.constData()));
        WarnIfUnreachable(static_cast<uint32_t>(index));
    } else if (ConstantsMode)
        Dialogs().Message(this, tMsgType::Warning, kMsgInUse, tMsgButtons::Ok);
}

void TFEdit::WarnIfUnreachable(uint32_t index) {
    const bool function = !ConstantsMode;
    std::vector<std::string> names;
    for (uint32_t i = 0; i < Library().Count(); ++i)
        names.push_back(EntryName(Library().Def(i), function));
    if (index >= names.size())
        return;
    // The entry itself, or a later one that it now hides.
    QStringList lines;
    for (const cUnreachableName& entry :
         UnreachableNames(names, function ? eNameKind::Function : eNameKind::Constant)) {
        if (entry.aIndex != index && entry.aName != names[index])
            continue;
        lines << QString("%1 \"%2\": %3.")
                     .arg(entry.aIndex == index ? "This name" : "The later entry", QString::fromStdString(entry.aName),
                          entry.aReason);
    }
    if (lines.isEmpty())
        return;
    Dialogs().Message(this, tMsgType::Warning,
                      QString("Warning: No formula can reach this %1 by its name. The entry is kept.\n%2")
                          .arg(function ? "function" : "constant", lines.join('\n')),
                      tMsgButtons::Ok);
}

void TFEdit::CloseEditor(bool committed) {
    {
        const QSignalBlocker blocker(Liste);
        Liste->clear();
    }
    if (committed)
        QDialog::accept();
    else
        QDialog::reject();
}

void TFEdit::BCancelClick() {
    Library().Cancel();
    CloseEditor(false);
}

void TFEdit::reject() { BCancelClick(); }

void TFEdit::BDoneClick() {
    int32_t result = 0;
    {
        const cEngineJob job; // the commit compiles, with progress reports
        result = Library().Stop();
    }
    if (result == lrLoaded) {
        CloseEditor(true);
        if (W.Palettes) {
            if (ConstantsMode)
                W.Palettes->SConstantsShow();
            else
                W.Palettes->SUserFuncShow();
        }
        return;
    }
    if (Dialogs().Message(this, tMsgType::Error, kMsgInterpret, tMsgButtons::OkCancel) == tMsgResult::Cancel) {
        BCancelClick();
        return;
    }
    {
        const QSignalBlocker blocker(Liste);
        Liste->setCurrentRow(result);
    }
    ShowEntry(result);
}
