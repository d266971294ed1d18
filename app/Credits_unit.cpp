// SPDX-License-Identifier: GPL-3.0-or-later
#include "Credits_unit.h"

#include "KorundSettings.h"
#include "Splash_unit.h"

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TFCredits::TFCredits(cKorundWindows& windows, QWidget* parent, const QString& pictureDir)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), W(windows) {
    setWindowTitle("About Korund");
    setFixedSize(215, 206);
    move(352, 183);

    LogoImage = new QLabel(this);
    LogoImage->setGeometry(8, 8, 200, 50);
    LogoImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LogoImage->setPixmap(LoadProgramPicture(pictureDir, "krlogo.dat"));

    GroupBox1 = new QGroupBox("Info", this);
    GroupBox1->setGeometry(8, 64, 201, 105);
    QPalette blue = GroupBox1->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    GroupBox1->setPalette(blue);

    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    auto label = [&](int top, const QString& text) {
        auto* l = new QLabel(text, GroupBox1);
        l->setPalette(black);
        l->setGeometry(8, top, 185, 16);
        return l;
    };
    Label2 = label(24, "");
    Label1 = label(40, "The Korund project");
    Label3 = label(56, QString("Version %1").arg(KorundVersion()));
    Label4 = label(72, "Licence: GNU GPL 3 or later");

    BOk = new QPushButton("OK", this);
    BOk->setGeometry(136, 176, 75, 25);
    BOk->setDefault(true);
    connect(BOk, &QPushButton::clicked, this, &TFCredits::BOkClick);
}

void TFCredits::BOkClick() { accept(); }
