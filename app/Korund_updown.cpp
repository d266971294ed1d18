// SPDX-License-Identifier: GPL-3.0-or-later
// The up/down arrow control beside the memory letter.
#include "Korund_main_unit.h"

#include <QToolButton>

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

void TUpDown::ClickUp() { emit Click(true); }

void TUpDown::ClickDown() { emit Click(false); }

void TUpDown::resizeEvent(QResizeEvent*) {
    const int upper = height() / 2;
    BUp->setGeometry(0, 0, width(), upper);
    BDown->setGeometry(0, upper, width(), height() - upper);
}
