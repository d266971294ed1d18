// SPDX-License-Identifier: GPL-3.0-or-later
// TFPalettes: variables, constants and functions to look at and paste.
#pragma once

#include "Korund_windows.h"

#include <QWidget>

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class TFPalettes : public QWidget {
    Q_OBJECT
public:
    explicit TFPalettes(cKorundWindows& windows, QWidget* parent = nullptr);
    QTabWidget* PageControl = nullptr; // pages 0..3

    QWidget* SVariables = nullptr;
    QPlainTextEdit* MVarState = nullptr;
    QPushButton* BRefresh = nullptr;

    QWidget* SConstants = nullptr;
    QListWidget* LConst = nullptr;
    QPushButton* BConstDesc = nullptr;
    QPushButton* BConstDef = nullptr;
    QPushButton* BConstPaste = nullptr;

    QWidget* SUserFunc = nullptr;
    QListWidget* LUserFunc = nullptr;
    QPushButton* BUserFuncDesc = nullptr;
    QPushButton* BUserFuncDef = nullptr;
    QPushButton* BUserFuncPaste = nullptr;

    QWidget* SBuiltinFunc = nullptr;
    QListWidget* LBuiltinFunc = nullptr;
    QPushButton* BBuiltinFuncDesc = nullptr;
    QPushButton* BBuiltinFuncPaste = nullptr;

    // Page refreshes, run whenever a page becomes visible.
    void SVariablesShow();
    void SConstantsShow();
    void SUserFuncShow();
    void SBuiltinFuncShow();

    void BConstPasteClick();
    void BUserFuncPasteClick();
    void BBuiltinFuncPasteClick();
    void BConstDefClick();
    void BConstDescClick();
    void BUserFuncDefClick();
    void BUserFuncDescClick();
    void BBuiltinFuncDescClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    cKorundWindows& W;
    void RefreshPage(int index);
    void AppendToFormula(const QString& text);
    void ShowInfo(const QString& caption, const QString& text);
};
