// SPDX-License-Identifier: GPL-3.0-or-later
// TFCredits: the About window.
#pragma once

#include "Korund_windows.h"

#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;

class TFCredits : public QDialog {
    Q_OBJECT
public:
    // Loads "krlogo.dat" (see LoadProgramPicture); throws std::runtime_error
    // when it cannot be read as a bitmap.
    TFCredits(cKorundWindows& windows, QWidget* parent = nullptr, const QString& pictureDir = QString());

    QLabel* LogoImage = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* BOk = nullptr;

public slots:
    void BOkClick();

private:
    [[maybe_unused]] cKorundWindows& W; // the program's windows
};
