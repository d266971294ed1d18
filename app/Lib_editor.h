// SPDX-License-Identifier: GPL-3.0-or-later
// TFEdit: the library editor (constants or user functions).
#pragma once

#include "Korund_windows.h"

#include <QDialog>

#include <cstdint>

class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
struct cLibraryOps;

class TFEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFEdit(cKorundWindows& windows, QWidget* parent = nullptr);
    bool ConstantsMode = true; // true: constants, false: user functions

    QListWidget* Liste = nullptr;
    QLabel* Label1 = nullptr;
    QPlainTextEdit* MDef = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* MDesc = nullptr;
    QPushButton* BAdd = nullptr;
    QPushButton* BDelete = nullptr;
    QPushButton* BModify = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* BDone = nullptr;
    QPushButton* BCancel = nullptr;

    void FormShow();
    void ListeClick();
    void BAddClick();
    void BDeleteClick();
    void BModifyClick();
    void BCancelClick();
    void BDoneClick();

    // Esc and the window manager's close end the edit like Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    cKorundWindows& W;
    const cLibraryOps& Library() const;
    int SelectedIndex() const;
    void ShowEntry(int index);
    void CloseEditor(bool committed);
    // A warning, the edit kept, when no formula can reach the entry by its name.
    void WarnIfUnreachable(uint32_t index);
};
