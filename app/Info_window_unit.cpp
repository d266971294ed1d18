// SPDX-License-Identifier: GPL-3.0-or-later
#include "Info_window_unit.h"

#include "Korund_dialogs.h"

#include <QPlainTextEdit>
#include <QPushButton>

TFInfoText::TFInfoText(cKorundWindows& windows, QWidget* parent) : QDialog(parent, Qt::Tool), W(windows) {
    setWindowTitle("Info");
    setFixedSize(264, 110);
    move(341, 202);

    MInfoText = new QPlainTextEdit(this);
    MInfoText->setGeometry(8, 8, 249, 65);
    MInfoText->setReadOnly(true);
    MInfoText->setFrameShape(QFrame::NoFrame);
    MInfoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette menu = MInfoText->palette();
    menu.setColor(QPalette::Base, menu.color(QPalette::Button));
    MInfoText->setPalette(menu);
    MInfoText->setPlainText("<Info>");

    BOk = new QPushButton("OK", this);
    BOk->setGeometry(184, 80, 75, 25);
    BOk->setDefault(true);
    connect(BOk, &QPushButton::clicked, this, &TFInfoText::BOkClick);
}

void TFInfoText::ShowInfo(const QString& caption, const QString& text) {
    setWindowTitle(caption);
    QString lines = text;
    lines.replace("\r\n", "\n").replace(QChar(u'\r'), QChar(u'\n'));
    MInfoText->setPlainText(lines);
    Dialogs().ShowModal(this);
}

void TFInfoText::BOkClick() { accept(); }
