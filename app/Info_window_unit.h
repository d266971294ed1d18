// SPDX-License-Identifier: GPL-3.0-or-later
// TFInfoText: a titled text, shown modally.
#pragma once

#include "Korund_windows.h"

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

class TFInfoText : public QDialog {
    Q_OBJECT
public:
    explicit TFInfoText(cKorundWindows& windows, QWidget* parent = nullptr);

    QPlainTextEdit* MInfoText = nullptr;
    QPushButton* BOk = nullptr;

    // Replaces caption and text, then shows the window modally.
    void ShowInfo(const QString& caption, const QString& text);

public slots:
    void BOkClick();

private:
    [[maybe_unused]] cKorundWindows& W; // the program's windows
};
